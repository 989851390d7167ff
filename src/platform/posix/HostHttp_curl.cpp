#include "platform/HostHttp.h"

namespace stowly {

HttpResult HostHttpGet(const std::string&, unsigned, unsigned) { return {}; }

} // namespace stowly
