/* Read before windows.h when the public header is checked in Microsoft's dialect with clang's MSVC
   target over the mingw-w64 headers (there is no Microsoft compiler or SDK here). Those headers
   assume GCC: without __GNUC__ they erase __attribute__, which clang's own intrinsics headers
   need, and place __declspec after declarators, which clang refuses. Only their own spellings are
   changed; the SDK's header is read as it stands. */
#include <_mingw.h>
#undef __attribute__
#undef __MINGW_ATTRIB_NORETURN
#define __MINGW_ATTRIB_NORETURN
#undef __MINGW_ATTRIB_MALLOC
#define __MINGW_ATTRIB_MALLOC
#undef __MINGW_ATTRIB_DEPRECATED
#define __MINGW_ATTRIB_DEPRECATED
