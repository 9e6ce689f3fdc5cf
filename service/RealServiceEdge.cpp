// Kept apart from the rest of the adapter: only this file needs the recorder library's export,
// so the native tree, which has no such library, links the adapter as long as nothing there asks
// for the real table.
#include "service/GetService.h"
#include "service/ServiceEdge.h"

namespace vesk {

IServiceControl* RealGetService(void*) { return ::GetService(); }

ServiceEdge RealServiceEdge() {
  ServiceEdge edge;
  edge.getService = &RealGetService;
  return edge;
}

}  // namespace vesk

#include "service/ServiceControl.h"

namespace vesk {

ServiceControl::ServiceControl() : ServiceControl(RealServiceEdge()) {}

}  // namespace vesk
