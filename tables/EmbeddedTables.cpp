// The lookup tables of tables/GeneratedTables.h as read-only data: the files
// that the build's morlavine-tablegen wrote, taken in by the assembler, each
// under the symbol that its declaration names (MORLAVINE_TABLE_SYMBOL). The
// pages of a table are read in only when something reads it, and no run
// spends time on computing them.

#include "GeneratedTablesData.h"  // written by morlavine-tablegen, in the build folder
#include "tables/GeneratedTables.h"

// The object-file formats differ in their section names and symbol
// attributes: ELF (Linux) and Mach-O (macOS) are written out below.
#if defined(__ELF__)
#define MORLAVINE_TABLE_SECTION ".pushsection .rodata.morlavine_tables, \"a\", @progbits\n"
#define MORLAVINE_TABLE_SECTION_END ".popsection\n"
#define MORLAVINE_TABLE_HIDDEN(SYMBOL) ".hidden " SYMBOL "\n"
#define MORLAVINE_TABLE_TYPE(SYMBOL) ".type " SYMBOL ", @object\n"
#define MORLAVINE_TABLE_ALIGN ".balign 64\n"
#define MORLAVINE_TABLE_SIZE(SYMBOL) ".size " SYMBOL ", . - " SYMBOL "\n"
#elif defined(__APPLE__) && defined(__MACH__)
// Read-only data in __TEXT,__const; symbols carry no type or size, and the
// assembler's section is the text section again after them.
#define MORLAVINE_TABLE_SECTION ".section __TEXT,__const\n"
#define MORLAVINE_TABLE_SECTION_END ".text\n"
#define MORLAVINE_TABLE_HIDDEN(SYMBOL) ".private_extern " SYMBOL "\n"
#define MORLAVINE_TABLE_TYPE(SYMBOL) ""
#define MORLAVINE_TABLE_ALIGN ".p2align 6\n"
#define MORLAVINE_TABLE_SIZE(SYMBOL) ""
#else
#error "tables/EmbeddedTables.cpp knows the section directives of ELF and Mach-O targets only"
#endif

namespace {

// The file that the build wrote holds exactly the listed table (a stale file
// would fail here).
#define MORLAVINE_CHECK_SIZE(NS, NAME, COUNT)                                                     \
  static_assert(MORLAVINE_TABLE_BYTES_##NS##_##NAME == sizeof(float) * static_cast<unsigned long>(COUNT), \
                "the generated " #NS "::" #NAME " does not match its declaration");
MORLAVINE_GENERATED_TABLES(MORLAVINE_CHECK_SIZE)
#undef MORLAVINE_CHECK_SIZE

// The hash of the data is part of this source as a compiler sees it, so that
// a compiler cache (which does not read .incbin files) takes new data for a
// new source.
[[maybe_unused]] const unsigned long long TABLE_DATA_HASH = MORLAVINE_TABLE_DATA_HASH;

}  // namespace

// Each table 64-byte aligned (a cache line), local to the program (hidden),
// with its type and size for debuggers and tools where the format has them.
// The symbol is the plain name of MORLAVINE_TABLE_SYMBOL (no prefix on any
// format: the declarations name it with an asm label).
#define MORLAVINE_EMBED_SYMBOL(NS, NAME) "morlavine_table_" #NS "_" #NAME
#define MORLAVINE_EMBED(NS, NAME, COUNT)                                  \
  ".globl " MORLAVINE_EMBED_SYMBOL(NS, NAME) "\n"                         \
  MORLAVINE_TABLE_HIDDEN(MORLAVINE_EMBED_SYMBOL(NS, NAME))               \
  MORLAVINE_TABLE_TYPE(MORLAVINE_EMBED_SYMBOL(NS, NAME))                 \
  MORLAVINE_TABLE_ALIGN                                                  \
  MORLAVINE_EMBED_SYMBOL(NS, NAME) ":\n"                                 \
  ".incbin \"" MORLAVINE_TABLE_FOLDER "/" #NS "_" #NAME ".bin\"\n"       \
  MORLAVINE_TABLE_SIZE(MORLAVINE_EMBED_SYMBOL(NS, NAME))

__asm__(MORLAVINE_TABLE_SECTION MORLAVINE_GENERATED_TABLES(MORLAVINE_EMBED) MORLAVINE_TABLE_SECTION_END);

#undef MORLAVINE_EMBED
#undef MORLAVINE_EMBED_SYMBOL
