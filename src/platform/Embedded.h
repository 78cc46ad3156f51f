// Files compiled into the program (text catalogs, pictures): a table of
// { name, bytes, size } ended by a null name, generated at build time.
#pragma once
#include <cstddef>

namespace nubo::embedded {

struct File {
    const char* name;
    const unsigned char* data;
    std::size_t size;
};

}  // namespace nubo::embedded
