// stb_image built into the fuzz programs from the packaged header, so that its decoders are
// instrumented like our code: the fuzzer follows their branches and the sanitizers check
// their memory. In these programs its definitions take the place of the shared library's.
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
