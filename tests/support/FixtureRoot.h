// FixtureRoot: the folder of the test fixtures. Its path is compiled into one small file of each
// test program only, so the test files themselves do not depend on where the checkout lies and a
// clone in another folder reuses their compiled objects.
#pragma once

const char* FixtureRoot();

#define SERVER_FIXTURES FixtureRoot()
