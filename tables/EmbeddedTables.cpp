// The lookup tables of tables/GeneratedTables.h as read-only data: the files
// that the build's morlavine-tablegen wrote, taken in by the assembler, each
// under the symbol that its declaration names (MORLAVINE_TABLE_SYMBOL). The
// pages of a table are read in only when something reads it, and no run
// spends time on computing them.

#include "GeneratedTablesData.h"  // written by morlavine-tablegen, in the build folder
#include "tables/GeneratedTables.h"

#if !defined(__ELF__)
#error "tables/EmbeddedTables.cpp is written for ELF targets"
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
// with its type and size for debuggers and tools.
#define MORLAVINE_EMBED(NS, NAME, COUNT)                                  \
  ".globl morlavine_table_" #NS "_" #NAME "\n"                            \
  ".hidden morlavine_table_" #NS "_" #NAME "\n"                           \
  ".type morlavine_table_" #NS "_" #NAME ", @object\n"                    \
  ".balign 64\n"                                                          \
  "morlavine_table_" #NS "_" #NAME ":\n"                                  \
  ".incbin \"" MORLAVINE_TABLE_FOLDER "/" #NS "_" #NAME ".bin\"\n"        \
  ".size morlavine_table_" #NS "_" #NAME ", . - morlavine_table_" #NS "_" #NAME "\n"

__asm__(".pushsection .rodata.morlavine_tables, \"a\", @progbits\n" MORLAVINE_GENERATED_TABLES(MORLAVINE_EMBED)
            ".popsection\n");

#undef MORLAVINE_EMBED
