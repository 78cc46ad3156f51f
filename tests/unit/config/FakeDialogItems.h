// The dial data tests use the platform's in-memory controls.
#pragma once
#include "platform/fake/FakeDialogItems.h"

namespace nubo::test {
using nubo::FakeDialogItems;
}  // namespace nubo::test
