@echo off
rem Lists the IPv4 addresses of the machines this one has recently talked to on the LAN.
rem Tarvik reads them from log.txt beside this file: one address per line, at the start
rem of the line (after at most a few spaces); lines without one are skipped.
rem
rem Started with administrator rights, a batch file begins in the system folder, so move
rem to the folder of this file first.
cd /d "%~dp0"
rem The neighbour table without multicast and broadcast entries, written to a temporary
rem file and then put in place whole, so that Tarvik never reads a half-written list.
arp -a | findstr /r /c:"^  *[0-9]" | findstr /v /r /c:"^  *22[4-9]\." /c:"^  *23[0-9]\." /c:"^  *255\." /c:"\.255 " > log.tmp
move /y log.tmp log.txt > nul
