#include "FfmpegLibraries.h"

#include <mutex>

#include <dlfcn.h>

extern "C" {
#include <libavcodec/version.h>
#include <libavformat/version.h>
#include <libavutil/version.h>
#include <libswscale/version.h>
}

namespace {

// The shared library of each part, by the major version of the headers (a library of another
// major version has another interface).
std::string SharedLibrary(const char* name, int major) { return "lib" + std::string(name) + ".so." + std::to_string(major); }

struct Loaded {
    FfmpegLibraries functions;
    std::string reason;  // empty when loaded
};

Loaded Load()
{
    Loaded loaded;
    struct Library {
        const char* name;
        int major;
        void* handle = nullptr;
    };
    Library avutil{"avutil", LIBAVUTIL_VERSION_MAJOR};
    Library avcodec{"avcodec", LIBAVCODEC_VERSION_MAJOR};
    Library avformat{"avformat", LIBAVFORMAT_VERSION_MAJOR};
    Library swscale{"swscale", LIBSWSCALE_VERSION_MAJOR};
    // Kept loaded for the rest of the process: encoders may run until it ends.
    for (Library* library : {&avutil, &avcodec, &avformat, &swscale}) {
        const std::string file = SharedLibrary(library->name, library->major);
        library->handle = ::dlopen(file.c_str(), RTLD_NOW | RTLD_LOCAL);
        if (library->handle == nullptr) {
            loaded.reason = "FFmpeg's library " + file + " cannot be loaded (" + ::dlerror()
                + "); install it (Debian: lib" + library->name + std::to_string(library->major) + ") to write videos";
            return loaded;
        }
    }
#define PELMORA_FFMPEG_FIND(library, function)                                                                  \
    loaded.functions.function = reinterpret_cast<decltype(&::function)>(::dlsym(library.handle, #function));    \
    if (loaded.functions.function == nullptr) {                                                                 \
        loaded.reason = "FFmpeg's library " + SharedLibrary(library.name, library.major) + " has no " #function; \
        return loaded;                                                                                          \
    }
    PELMORA_FFMPEG_FUNCTIONS(PELMORA_FFMPEG_FIND)
#undef PELMORA_FFMPEG_FIND
    return loaded;
}

}  // namespace

const FfmpegLibraries* LoadFfmpegLibraries(std::string& reason)
{
    static std::once_flag once;
    static Loaded loaded;
    std::call_once(once, [] { loaded = Load(); });
    reason = loaded.reason;
    return loaded.reason.empty() ? &loaded.functions : nullptr;
}
