#include "shared/process.h"

namespace corvane {

Utf8Arguments::Utf8Arguments(int argc, char** argv) {
    texts_.push_back(argc > 0 && argv[0] != nullptr ? argv[0] : "");
    for (std::string& arg : programArguments(argc, argv)) texts_.push_back(std::move(arg));
    for (std::string& text : texts_) pointers_.push_back(text.data());
    pointers_.push_back(nullptr);
}

}  // namespace corvane
