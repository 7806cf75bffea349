@echo off
rem Lists the IPv4 addresses this machine has recently talked to on the LAN.
rem Tarvik reads the addresses from log.txt, one per line, address first.
arp -a > log.txt
