#pragma once

#include <stdexcept>

// A failure of stubra-pack that ends the command; what() is the message shown
// after "stubra-pack: ".
class pack_error : public std::runtime_error {
  public:
    using std::runtime_error::runtime_error;
};
