#pragma once
// The program's entry points, kept out of main() so that everything lives in the library.

// The program: `quendo` runs the application; `quendo --install DIR` records DIR as the user's
// data folder (the "Directory" setting, where the first database is created) and ends.
int RunQuendo(int argc, char** argv);

// The headless driver `quendo-run` (see HeadlessRun.h).
int RunHeadless(int argc, char** argv);
