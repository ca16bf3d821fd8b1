'use strict';
// The two native libraries through koffi: the wrapper's exports that the
// binding uses, and the binding's own library (event queue and calls). Both are looked up
// in the environment first, then in the package's prebuilds/<platform>-<arch>.

const path = require('node:path');
const fs = require('node:fs');
const koffi = require('koffi');

const LIBRARY_ENV = 'VELMO_KIV_LIBRARY';
const QUEUE_ENV = 'VELMO_KIV_NODE_QUEUE';
const OUTPUT_ENV = 'VELMO_KIV_LIBRARY_OUTPUT';
const OUTPUTS = ['none', 'stderr', 'stdout'];
const SDK_FILE = /^(lib)?velmo_kiv_sdk\.(dll|so\.\d+|dylib)$/;

const FILE_NAMES = {
  win32: { library: 'VelmoKivWrapper.dll', queue: 'VelmoKivNodeQueue.dll' },
  darwin: { library: 'libVelmoKivWrapper.dylib', queue: 'libVelmoKivNodeQueue.dylib' },
  default: { library: 'libVelmoKivWrapper.so', queue: 'libVelmoKivNodeQueue.so' },
};

function prebuildFolder() {
  return path.join(__dirname, '..', 'prebuilds', `${process.platform}-${process.arch}`);
}

function locate(envName, which) {
  const fromEnv = process.env[envName];
  if (fromEnv) return fromEnv;
  const names = FILE_NAMES[process.platform] || FILE_NAMES.default;
  const file = path.join(prebuildFolder(), names[which]);
  if (fs.existsSync(file)) return file;
  throw new Error(
    `${names[which]} not found: the package has no native parts for ` +
      `${process.platform}-${process.arch}; set ${envName} to the built library`,
  );
}

let loaded = null;
let setEnvironment = null;

// Sets a variable in the process's own environment, which the library reads
// (a worker thread's process.env is a copy that never reaches it).
function setProcessEnvironment(name, value) {
  if (!setEnvironment) {
    setEnvironment =
      process.platform === 'win32'
        ? koffi.load('kernel32.dll').func('int __stdcall SetEnvironmentVariableA(const char *name, const char *value)')
        : koffi
            .load(process.platform === 'darwin' ? 'libc.dylib' : 'libc.so.6')
            .func('int setenv(const char *name, const char *value, int overwrite)');
  }
  if (process.platform === 'win32') setEnvironment(name, value);
  else setEnvironment(name, value, 1);
}

// Loads both libraries once per thread (koffi keeps one handle per path).
function load() {
  if (loaded) return loaded;
  const libraryPath = locate(LIBRARY_ENV, 'library');
  const queuePath = locate(QUEUE_ENV, 'queue');
  if (process.platform === 'win32') {
    // The SDK's DLL sits beside the wrapper's; let the loader find it there.
    const folder = path.dirname(path.resolve(libraryPath));
    if (!(process.env.PATH || '').split(';').includes(folder)) {
      process.env.PATH = `${folder};${process.env.PATH || ''}`;
    }
  }
  // The SDK beside the wrapper (as in prebuilds/) is loaded first, so that the
  // wrapper's dependency on it is met without a search path.
  const folder = path.dirname(path.resolve(libraryPath));
  const sdk = fs.readdirSync(folder).find((f) => SDK_FILE.test(f));
  // The library's console lines stay off the host's standard output unless
  // the host asked for them; the log file is written either way.
  if (!OUTPUTS.includes(process.env[OUTPUT_ENV])) setProcessEnvironment(OUTPUT_ENV, 'none');
  if (sdk) koffi.load(path.join(folder, sdk));
  const library = koffi.load(libraryPath);
  const queue = koffi.load(queuePath);
  const cdecl = (lib, signature) => lib.func(signature);
  loaded = {
    libraryPath,
    queuePath,
    createEngine: cdecl(library, 'void *CreateQuonKivEngine(void *client)'),
    destroyEngine: cdecl(library, 'void DestroyQuonKivEngine(void *engine)'),
    errorReason: cdecl(library, 'const char *GetQuonKivErrorReason(int code)'),
    version: cdecl(library, 'const char *GetQuonKivVersion(_Out_ int *build)'),
    queueCreate: cdecl(queue, 'void *kiv_node_queue_create()'),
    queueRelease: cdecl(queue, 'void kiv_node_queue_release(void *queue)'),
    sinkCreate: cdecl(queue, 'void *kiv_node_sink_create(void *queue, uint32_t tag)'),
    sinkDestroy: cdecl(queue, 'void kiv_node_sink_destroy(void *sink)'),
    queueWait: cdecl(queue, 'int32_t kiv_node_queue_wait(void *queue, int32_t timeoutMs)'),
    queueInterrupt: cdecl(queue, 'void kiv_node_queue_interrupt(void *queue)'),
    queueTake: cdecl(queue, 'int32_t kiv_node_queue_take(void *queue, void *out, uint32_t capacity)'),
    queueDropped: cdecl(queue, 'uint32_t kiv_node_queue_dropped(void *queue)'),
    queueSetLimit: cdecl(queue, 'void kiv_node_queue_set_limit(void *queue, uint32_t bytes)'),
    sinkDropped: cdecl(queue, 'uint32_t kiv_node_sink_dropped(void *sink)'),
    // The engine and its sink are destroyed when this thread ends, if close()
    // or the finalization registry did not destroy them before.
    engineAdopt: cdecl(queue, 'int32_t kiv_node_engine_adopt(void *engine, void *sink)'),
    engineDestroy: cdecl(queue, 'void kiv_node_engine_destroy(void *engine, void *sink)'),
    // CallQuonKivApi with the record and the result buffer kept natively.
    call: cdecl(
      queue,
      'int32_t kiv_node_call(void *engine, const char *apiName, const char *params, ' +
        'uint32_t paramsLength, void *buffer, uint32_t bufferLength)',
    ),
    result: cdecl(queue, 'const char *kiv_node_result()'),
  };
  return loaded;
}

// Before koffi 3, an asynchronous call still in flight when a worker thread's
// environment stops aborts the process.
const ASYNC_SAFE_AT_TEARDOWN = Number(String(koffi.version).split('.')[0]) >= 3;

// Where the library's console log lines go, for the whole process: 'none',
// 'stderr' or 'stdout'. The library reads the choice when it loads and each
// time it resets its log (such as at the next "KivClient_create").
function setLibraryOutput(where) {
  if (!OUTPUTS.includes(where)) {
    throw new TypeError("the library's output is 'none', 'stderr' or 'stdout'");
  }
  setProcessEnvironment(OUTPUT_ENV, where);
  return true;
}

module.exports = { load, setLibraryOutput, LIBRARY_ENV, QUEUE_ENV, koffi, ASYNC_SAFE_AT_TEARDOWN };
