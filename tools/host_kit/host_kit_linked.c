/* The exports of the library the program links with; a separate file so that
 * hosts that only open the library at run time do not need it at link time. */
#include "host_kit.h"

static const HostKitExports kLinked = {
    CreateQuonKivEngine,       CreateQuonKivEngineWithProcTable,
    createQuonKivClient,       DestroyQuonKivEngine,
    destroyQuonKivClient,      CallQuonKivApi,
    CreateQuonKivEventHandler, DestroyQuonKivEventHandler,
    GetQuonKivErrorReason,     getQuonKivErrorReason,
    GetQuonKivVersion,
};

const HostKitExports* host_kit_linked_exports(void) { return &kLinked; }
