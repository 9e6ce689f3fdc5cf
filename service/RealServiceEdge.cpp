// Kept apart from the rest of the adapter: only this file needs the recorder library
// (RealGetService, service/ServiceLibrary.cpp, Windows tree only), so the native tree, which has
// no such library, links the adapter as long as nothing there asks for the real table.
#include "service/ServiceEdge.h"

namespace vesk {

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
