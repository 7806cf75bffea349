netsh interface ip set address "LAN static 10.0.0.1 dhcp" dhcp
