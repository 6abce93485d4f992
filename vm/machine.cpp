#include "vm/machine.h"

namespace corvane {

Machine::Machine() : image(new uint8_t[kImageBufferSize + kImageReadSlack]()) {}

}  // namespace corvane
