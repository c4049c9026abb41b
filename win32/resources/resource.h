/* Resource identifiers, shared by quillmere.rc and the C++ code. */
#pragma once

#define IDI_QUILLMERE 1
/* The name the host's screensaver list shows. */
#define IDS_DESCRIPTION 1
