netsh interface ip set address "Ethernet" static 192.168.1.20 255.255.255.0
