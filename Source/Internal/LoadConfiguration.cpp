// The image's load configuration, linked into both DLLs. The loader reads it from the PE
// header's load-configuration entry, which GNU ld leaves empty: the build points the entry at
// this structure after linking (scripts/set-load-configuration.py).
//
// What it asks of the loader: DependentLoadFlags (Windows 10 1607 and later) makes the loader
// search the DLL's own load-time imports only in the DLL's folder and the system folder
// (LOAD_LIBRARY_SEARCH_DLL_LOAD_DIR | LOAD_LIBRARY_SEARCH_SYSTEM32), never the program's folder,
// the current directory or PATH. Everything else is zero, that is "not used":
// - no security cookie: GCC's stack protection keeps its guard elsewhere (__stack_chk_guard);
// - no SafeSEH table (32-bit): with SEHandlerTable and SEHandlerCount both zero the image
//   declares no table, and the loader accepts a handler in it as it does for an image without a
//   load configuration; the image is not marked NO_SEH, so SEH frames that MinGW's runtime code
//   registers stay valid (C++ exceptions unwind by DWARF tables and use no SEH handler here);
// - no Control Flow Guard (GuardFlags zero): GCC cannot instrument for it.
// The structure ends with GuardFlags, the layout of Windows 8.1's linker; Size says so, and the
// header entry's size repeats it, as the loader expects.
#include <cstddef>
#include <cstdint>

namespace
{
struct LoadConfiguration
{
    std::uint32_t size;
    std::uint32_t timeDateStamp;
    std::uint16_t majorVersion;
    std::uint16_t minorVersion;
    std::uint32_t globalFlagsClear;
    std::uint32_t globalFlagsSet;
    std::uint32_t criticalSectionDefaultTimeout;
    std::uintptr_t deCommitFreeBlockThreshold;
    std::uintptr_t deCommitTotalFreeThreshold;
    std::uintptr_t lockPrefixTable;
    std::uintptr_t maximumAllocationSize;
    std::uintptr_t virtualMemoryThreshold;
#ifdef _WIN64
    std::uintptr_t processAffinityMask;
    std::uint32_t processHeapFlags;
#else
    std::uint32_t processHeapFlags;
    std::uintptr_t processAffinityMask;
#endif
    std::uint16_t csdVersion;
    std::uint16_t dependentLoadFlags;
    std::uintptr_t editList;
    std::uintptr_t securityCookie;
    std::uintptr_t seHandlerTable;
    std::uintptr_t seHandlerCount;
    std::uintptr_t guardCFCheckFunctionPointer;
    std::uintptr_t guardCFDispatchFunctionPointer;
    std::uintptr_t guardCFFunctionTable;
    std::uintptr_t guardCFFunctionCount;
    std::uint32_t guardFlags;
};
constexpr bool is64Bit = sizeof(void*) == 8;
static_assert(offsetof(LoadConfiguration, dependentLoadFlags) == (is64Bit ? 0x4E : 0x36));
static_assert(offsetof(LoadConfiguration, seHandlerCount) == (is64Bit ? 0x68 : 0x44));
static_assert(offsetof(LoadConfiguration, guardFlags) == (is64Bit ? 0x90 : 0x58));

constexpr std::uint16_t loadLibrarySearchDllLoadDir = 0x100;
constexpr std::uint16_t loadLibrarySearchSystem32 = 0x800;

constexpr LoadConfiguration Make()
{
    LoadConfiguration configuration{};
    configuration.size = offsetof(LoadConfiguration, guardFlags) + sizeof(configuration.guardFlags);
    configuration.dependentLoadFlags = loadLibrarySearchDllLoadDir | loadLibrarySearchSystem32;
    return configuration;
}
}

// The name the loader's tools and linkers know it by (the 32-bit build adds an underscore).
extern "C" __attribute__((used)) const LoadConfiguration _load_config_used = Make();
