# Sourced by the scripts that open windows on the demo project: writes a settings file whose
# bitmap and project directories are the demo's, so a developer's own kelvaro.INI stays
# untouched. Usage: write_demo_settings FILE
write_demo_settings() {
  printf '[INITALL]\r\nDIRBMP=%s/\r\nDIRDAT=%s/\r\n' "$root/examples/demo/BMP" "$root/examples/demo" >"$1"
}
