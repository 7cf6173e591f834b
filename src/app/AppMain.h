#pragma once
// The program's entry points, kept out of main() so that everything lives in the library.

// The program: `quendo` runs the application; `quendo --install DIR` records DIR as the user's
// data folder (the "Directory" setting, where the first database is created) and ends.
int RunQuendo(int argc, char** argv);

// Makes a write past the process's file-size limit fail (EFBIG) like one on a full disk, so that
// the program says it could not write the file instead of being killed by SIGXFSZ. Both entry
// points call it first.
void IgnoreFileSizeLimitSignal();

// The headless driver `quendo-run` (see HeadlessRun.h).
int RunHeadless(int argc, char** argv);
