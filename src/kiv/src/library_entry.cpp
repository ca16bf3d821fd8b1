// Library load and unload: the log exists before any export runs and is
// flushed and closed when the library goes.
#include "common/utils/quon_logger.h"

#if defined(_WIN32)
#include <windows.h>

BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_ATTACH) velmo::quon::kiv::QuonLogger::instance().startAtLoad();
  // At process exit (reserved != null) other threads are already gone.
  if (reason == DLL_PROCESS_DETACH && reserved == nullptr)
    velmo::quon::kiv::QuonLogger::instance().shutdownAtUnload();
  return TRUE;
}
#else
__attribute__((constructor)) static void quonLibraryLoad() {
  velmo::quon::kiv::QuonLogger::instance().startAtLoad();
}
__attribute__((destructor)) static void quonLibraryUnload() {
  velmo::quon::kiv::QuonLogger::instance().shutdownAtUnload();
}
#endif
