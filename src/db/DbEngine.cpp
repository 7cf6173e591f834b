#include "db/DbEngine.h"

#include <sqlite3.h>

#include <thread>

namespace {

// Steps of the engine between two calls of the progress hook: some tens of microseconds.
constexpr int kStepsPerProgress = 10000;

std::function<void()>& ProgressHook() {
  static std::function<void()> hook;
  return hook;
}

// The thread that installed the hook, the only one that calls it.
std::thread::id& HookThread() {
  static std::thread::id thread;
  return thread;
}

int OnEngineProgress(void*) {
  EngineProgress();
  return 0;  // never interrupts the statement
}

}  // namespace

void SetEngineProgressHook(std::function<void()> hook) {
  ProgressHook() = std::move(hook);
  HookThread() = std::this_thread::get_id();
}

void EngineProgress() {
  if (const std::function<void()>& hook = ProgressHook(); hook && std::this_thread::get_id() == HookThread()) hook();
}

void WatchEngineProgress(sqlite3* db) {
  if (db) sqlite3_progress_handler(db, kStepsPerProgress, OnEngineProgress, nullptr);
}

void ShutdownEngine() { sqlite3_shutdown(); }

std::string EngineVersion() { return std::string("SQLite ") + sqlite3_libversion(); }
