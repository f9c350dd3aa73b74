# The sources of the lookup tables that the build computes ahead of time
# (tables/GeneratedTables.h lists them), relative to the source root: the
# library compiles them, and morlavine-tablegen compiles them a second time
# to run them during the build (CMakeLists.txt and, for the build machine of
# a cross build, tools/tablegen/CMakeLists.txt).
set(MORLAVINE_TABLE_BUILD_SOURCES
    tables/TableBuild.cpp tables/Tables.cpp tables/WaveTables.cpp tables/ToneTables.cpp
    tables/InstrumentTables.cpp tables/NoiseLoopTables.cpp tables/LfoTables.cpp tables/EnvTables.cpp
    tables/NoiseTables.cpp tables/EffectCurves.cpp tables/KaiserTables.cpp tables/GrainTables.cpp
    tables/WaveSynthesis.cpp tables/Pchip.cpp)
