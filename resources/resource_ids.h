/* Resource numbers shared by orvgen.rc and the C++ code. Plain defines, so that the
   resource compiler reads this file too. The application icon has the lowest number,
   which makes it the icon Explorer shows for orvgen.exe. */
#ifndef ORVGEN_RESOURCE_IDS_H
#define ORVGEN_RESOURCE_IDS_H

/* The version numbers and texts, made by CMake from the project's version. */
#include "orvgen_version.h"

#define IDI_APP 1  /* application icon: 16, 32, 48 and 256 pixels */
#define IDI_TRAY 2 /* notification area icon, 16 pixels */
#define IDR_LOGO 3 /* RCDATA: the logo as a PNG file, 294 x 40 */

#endif
