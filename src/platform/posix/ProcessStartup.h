#pragma once

namespace psion::posix {

// Sets up the process-wide state the program relies on. Call it first thing
// in main, before any file is written.
//
// SIGXFSZ is ignored: a write past the file-size limit (ulimit -f) then fails
// with EFBIG and is reported like any other failed write, instead of killing
// the program half-way through a Save with its temporary file left behind.
void PrepareProcess();

}  // namespace psion::posix
