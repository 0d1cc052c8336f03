#pragma once
// Export macro of zel_core: the library itself exports its classes and statics,
// every other module imports them.
#ifdef ZEL_CORE_BUILD
#define ZEL_CORE_API __declspec(dllexport)
#else
#define ZEL_CORE_API __declspec(dllimport)
#endif
