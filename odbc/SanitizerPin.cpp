// Linked into every program of a sanitizer build (FERROCAN_SANITIZE) that uses the database
// layer, and nowhere else.
//
// unixODBC keeps caches in globals of libodbc and libodbcinst for the life of the
// process. The database layer unloads the driver manager after each connection, and
// LeakSanitizer then reports those caches, in frames it can no longer name, as leaks that
// no suppression can match. Holding a reference to both libraries keeps the caches
// reachable, so the leak check sees only the program's own memory.
#include <dlfcn.h>

namespace {
const void* const residentDriverManager = dlopen("libodbc.so.2", RTLD_NOW | RTLD_LOCAL);
const void* const residentInstaller = dlopen("libodbcinst.so.2", RTLD_NOW | RTLD_LOCAL);
} // namespace
