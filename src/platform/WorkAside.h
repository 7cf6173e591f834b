#pragma once
// Long work the database engine does in steps it cannot break (the whole check of a file, the
// bringing forward of one an earlier build wrote: one check, one sort of an index may last
// seconds without a word from the engine) runs on a worker thread, while the user-interface
// thread keeps the busy clock going once a second and answers the window system, user input held
// off. The work touches no widget: what it tells meanwhile (its notices, its progress) is carried
// to the user-interface thread and shown there, in order; a notice is shown before the work goes on.

#include <functional>

class WorkProgress;

// Runs `work` aside and returns once it has returned; an exception it throws, or one a notice
// of it threw (an unanswered question), is thrown again here once it has ended. `work` gets a
// progress that carries its reports to `shown` (null when `shown` is null). Nested calls, and
// calls off the user-interface thread, run the work in place.
void RunAside(const std::function<void(WorkProgress*)>& work, WorkProgress* shown = nullptr);

// True while the user-interface thread waits for work run aside.
bool WorkingAside();
