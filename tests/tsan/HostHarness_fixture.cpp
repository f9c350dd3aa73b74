// The host harness of the conformance suite, built into this executable too.
#include "tests/conformance/HostHarness.cpp"
