// Key names through the text catalogs.
#include "config/KeyNames.h"

#include "wizard/Texts.h"

namespace nubo::keys {

std::string Name(Id id) {
    return texts::Text(static_cast<int>(id));
}

}  // namespace nubo::keys
