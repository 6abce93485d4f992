// FakeHost is header-only; this file gives the support library a translation unit.
#include "support/fake_host.h"
