#include "view/status_line.h"

bool draw_status_part(const DRAWITEMSTRUCT* item) {
    (void)item;
    return false;
}
