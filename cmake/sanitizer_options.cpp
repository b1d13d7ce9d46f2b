// Linked into every program of a sanitized build: options the sanitizer
// runtime starts with, under those of ASAN_OPTIONS.
//
// intercept_tls_get_addr=0: the runtime of GCC 12 takes some blocks of the
// thread-local storage of libraries loaded at run time (GStreamer's plugins)
// for an old glibc layout and reads a wrong range from them, which makes
// LeakSanitizer's check at exit crash ("Tracer caught signal 11") now and then.
extern "C" const char* __asan_default_options() { return "intercept_tls_get_addr=0"; }
