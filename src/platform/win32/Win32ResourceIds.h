#pragma once
// Resource ids shared by psion-interface.rc and the code; plain macros, as the
// resource compiler reads them too.

// The program's icon group. The lowest id is the icon Explorer shows for the .exe.
#define PSION_PROGRAM_ICON 1
