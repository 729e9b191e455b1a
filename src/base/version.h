// The program's version, used by the caption and the version resource.
#pragma once

#define VELMORA_VERSION_MAJOR 3
#define VELMORA_VERSION_MINOR 10
#define VELMORA_VERSION_TEXT "3.10"
