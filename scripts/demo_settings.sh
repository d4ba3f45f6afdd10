# Sourced by the scripts that open windows on the demo project: writes a settings file whose
# bitmap and project directories are the demo's and whose COM1 is the built-in simulated
# control unit, so a developer's own kelvaro.INI stays untouched. Usage: write_demo_settings FILE
write_demo_settings() {
  printf '[INITALL]\r\nDIRBMP=%s/\r\nDIRDAT=%s/\r\nCOMPORT=0\r\nCONTR=3\r\n[PORTS]\r\nCOM1=SIM\r\n' \
    "$root/examples/demo/BMP" "$root/examples/demo" >"$1"
}
