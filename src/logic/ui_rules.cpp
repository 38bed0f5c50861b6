#include "ui_rules.h"

namespace orvgen {

std::u16string WithFullStop(std::u16string message) {
  if (!message.empty() && message.back() > u'.') message.push_back(u'.');
  return message;
}

}  // namespace orvgen
