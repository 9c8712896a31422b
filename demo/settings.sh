# Writes the settings file the demo and the screenshots run with:
#   write_demo_settings FILE PELGRANE_SERVER STORVIK_SERVER
# each server a folder holding Velkoranth.db.
write_demo_settings() {
  cat > "$1" <<REG
Windows Registry Editor Version 5.00

[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanel\\Halvane\\DataSource]
"ServerName"="$2"
"LoginType"=dword:00000000
"UserName"="sa"
"Passwd"=""
"DatabaseName"="Velkoranth"

[HKEY_LOCAL_MACHINE\\SOFTWARE\\Corvanel\\Initdata]
"SQLServerName"="$3"
"DataBaseName"="Velkoranth"
"LoginUser"="sa"
"LoginPasswd"=""
REG
}
