netsh interface ip set address "Wi-Fi 2" static 10.1.2.3 255.0.0.0
rem "second" static 9 9 9 9
