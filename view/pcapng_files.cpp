#include "view/pcapng_files.h"

#include "app/app_state.h"
#include "app/scoped_win.h"
#include "app/seams.h"
#include "app/settings.h"
#include "app/text_ids.h"
#include "app/text_table.h"
#include "app/tick.h"
#include "comm/packet_export.h"
#include "comm/traffic_buffer.h"
#include "view/log_format.h"

#include <cstdlib>
#include <cwchar>
#include <memory>

namespace {

constexpr size_t kSinkBytes = 1u << 16;

bool write_to_file(void* context, const uint8_t* bytes, size_t count) {
    DWORD written = 0;
    return WriteFile(static_cast<HANDLE>(context), bytes, static_cast<DWORD>(count), &written, nullptr) &&
           written == count;
}

void set_ends(PacketEnds& e, int a, int b, int c, int d, int port) {
    const int octets[4] = {a, b, c, d};
    for (int i = 0; i < 4; ++i) e.local[i] = static_cast<uint8_t>(octets[i]);
    e.local_port = static_cast<uint16_t>(port);
}

// A log's packets carry no ends of their own: the settings say where they were.
RebuildBasis rebuild_basis(uint64_t loaded_at_us) {
    const Settings& st = g_settings;
    RebuildBasis basis{};
    basis.base_us = loaded_at_us ? loaded_at_us : utc_now_us();
    const bool own = st.bind_mode == 1;
    set_ends(basis.server_ends, own ? st.aip_no1 : 127, own ? st.aip_no2 : 0, own ? st.aip_no3 : 0,
             own ? st.aip_no4 : 1, st.aport_no);
    basis.client_ends = basis.server_ends;
    if (!own) basis.client_ends.local_port = static_cast<uint16_t>(kRebuiltFirstPort);
    const int peer[4] = {st.ip_no1, st.ip_no2, st.ip_no3, st.ip_no4};
    for (int i = 0; i < 4; ++i) basis.client_ends.peer[i] = static_cast<uint8_t>(peer[i]);
    basis.client_ends.peer_port = static_cast<uint16_t>(st.port_no);
    basis.client_ends.protocol = st.tipudp_mode == 1 ? kProtocolUdp : kProtocolTcp;
    basis.udp_peer_port = static_cast<uint16_t>(st.port_no);
    return basis;
}

} // namespace

bool export_pcapng_to(HWND owner, const wchar_t* path) {
    std::unique_ptr<TrafficRecord[]> records(new (std::nothrow) TrafficRecord[kTrafficCapacity]);
    std::unique_ptr<TrafficFact[]> facts(new (std::nothrow) TrafficFact[kFactCapacity]);
    std::unique_ptr<uint8_t[]> buffer(new (std::nothrow) uint8_t[kSinkBytes]);
    if (!records || !facts || !buffer) return false;
    int fact_count = 0;
    uint64_t loaded_at = 0;
    // One copy under the lock; the file is written from the copy.
    const int count = traffic_snapshot(records.get(), facts.get(), &fact_count, &loaded_at);
    const RebuildBasis basis = rebuild_basis(loaded_at);
    const bool rebuilt = export_packets(nullptr, records.get(), count, facts.get(), fact_count, basis) > 0;

    ScopedFile file(CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.valid()) {
        text_info_box(kTextFileNotOpened, owner, L"CreateFile");
        return false;
    }
    PcapngSink sink{buffer.get(), kSinkBytes, 0, write_to_file, file.get(), false};
    std::unique_ptr<PcapngWriter> writer(new (std::nothrow) PcapngWriter);
    bool ok = writer != nullptr;
    if (ok) {
        bool tls = false;
        for (int i = 0; i < fact_count && !tls; ++i) tls = facts[i].facts.flags & kTlsPlaintext;
        pcapng_begin(*writer, sink, kTarvikApplication, rebuilt ? kRebuiltComment : tls ? kTlsSectionComment : nullptr);
        export_packets(writer.get(), records.get(), count, facts.get(), fact_count, basis);
        ok = pcapng_flush(sink);
    }
    ok = file.close() && ok;
    if (!ok) text_info_box(kTextExportWriteFailed, owner, L"File Error");
    return ok;
}

void export_pcapng(HWND owner) {
    if (traffic_state().write_index == 0) {
        text_info_box(kTextNothingToSave, owner, L"CreateFile");
        return;
    }
    enter_start_directory();
    wchar_t file[kPathChars];
    if (!start_dir_path(L"Temp1.pcapng", file, kPathChars)) wcscpy(file, L"Temp1.pcapng");
    if (!choose_path(owner, L"pcapng(*.pcapng)\0*.pcapng\0AllFile(*.*)\0*.*\0", text_entry(kTextExportPcapngTitle),
                     OFN_EXTENSIONDIFFERENT, file, kPathChars, true))
        return;
    if (!force_extension(file, kPathChars, L".pcapng")) {
        text_info_box(kTextFileNotOpened, owner, L"CreateFile");
        return;
    }
    export_pcapng_to(owner, file);
}
