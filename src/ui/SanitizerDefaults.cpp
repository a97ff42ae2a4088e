// Compiled into every executable that links the Qt layers (an interface source of zka_ui).
//
// Qt's libraries are not built for ThreadSanitizer: their thread pool (used, for one, to convert
// and paint large images) allocates and frees on its own threads behind locks that the sanitizer
// cannot see. Accesses that such uninstrumented code makes through the sanitizer's interceptors are
// left out, so that the reports are about this program's own code, which stays fully checked.
#if defined(__SANITIZE_THREAD__)
extern "C" const char* __tsan_default_options()
{
    return "ignore_noninstrumented_modules=1";
}
#endif
