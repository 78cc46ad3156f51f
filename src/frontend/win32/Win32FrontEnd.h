// Factory of the native Windows front end; plain C++ so that the entry point
// needs no more of the front end than this.
#pragma once
#include <memory>

#include "wizard/FrontEnd.h"

namespace nubo {

std::unique_ptr<FrontEnd> CreateWin32FrontEnd();

}  // namespace nubo
