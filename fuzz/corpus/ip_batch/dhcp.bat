netsh interface ip set address "Ethernet" dhcp
