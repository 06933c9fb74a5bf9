#pragma once
// Resource ids shared by the resource script and the code.
#define IDI_VELLORAN 1
// The logos' form data (a 32-bit length, then the GIF file).
#define IDR_LOGO_OPENNAP 101
#define IDR_LOGO_WINMX 102
#define IDR_LOGO_SERVERLIST 103
