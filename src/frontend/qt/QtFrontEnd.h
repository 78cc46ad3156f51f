// Factory of the Qt 6 front end; plain C++ so that the entry point sees no Qt.
#pragma once
#include <memory>

#include "wizard/FrontEnd.h"

namespace nubo {

std::unique_ptr<FrontEnd> CreateQtFrontEnd(int& argc, char** argv);

}  // namespace nubo
