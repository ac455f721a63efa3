// cls_Projekt as an automation object.
//
// The object owns one cls_Projekt and publishes its members under their
// names and dispatch identifiers (interface _cls_Projekt), so that scripts,
// the `taluvek aufruf` command and the suite's other programs can call it
// late-bound: vx::CreateObject(vx::kProjektProgramId) creates it, and it
// answers to the interface identifiers of vx_taluvek/projekt_binding.h.
// Like the class, the object records the failures of its operations in
// lProjektErrNum and sProjektErrText; only a wrong call (unknown member,
// wrong arguments) raises, with the run time's numbers.

#ifndef VX_PROJECT_PROJEKT_DISPATCH_H_
#define VX_PROJECT_PROJEKT_DISPATCH_H_

#include <memory>

#include "vx_taluvek/dispatch.h"

namespace vx {

// A new automation object owning a new cls_Projekt; what the registry
// creates for kProjektProgramId.
std::shared_ptr<Dispatch> NewProjektDispatch();

}  // namespace vx

#endif  // VX_PROJECT_PROJEKT_DISPATCH_H_
