// The program's version: the about box, the version resource (orvinta.rc includes this file)
// and the host's --version all show it from here. Plain macros, so the resource compiler can
// read them too.
#pragma once

#define ORVINTA_VERSION_MAJOR 1
#define ORVINTA_VERSION_MINOR 6
#define ORVINTA_VERSION_BUILD 360
#define ORVINTA_VERSION_REVISION 1060
#define ORVINTA_VERSION_TEXT "1.6.360.1060"
// When this program was built, in the form "Oct 27 2007 15:23:35".
#define ORVINTA_BUILD_TIME __DATE__ " " __TIME__
