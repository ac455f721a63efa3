// The automation identity of cls_Projekt.
//
// Through the binding a cls_Projekt is an automation object that a caller
// creates by program identifier (vx::CreateObject(kProjektProgramId)) and
// calls late-bound through vx::Dispatch, by member name or by dispatch
// identifier.  Its interface _cls_Projekt is described by the library's type
// library, version 1.3; the object also answers to the identifiers of the
// three earlier versions of the interface, so that callers built against
// those keep working.  The identifiers below are fixed for good: callers
// store them.

#ifndef VX_TALUVEK_PROJEKT_BINDING_H_
#define VX_TALUVEK_PROJEKT_BINDING_H_

#include <array>
#include <cstdint>

#include "vx_taluvek/dispatch.h"

namespace vx {

inline constexpr const char* kProjektProgramId = "vx_Taluvek.cls_Projekt";

// {AEF68CD7-8D67-4206-8F10-A4E854A38F74}
inline constexpr Guid kProjektClassId{{0xAE, 0xF6, 0x8C, 0xD7, 0x8D, 0x67, 0x42,
                                       0x06, 0x8F, 0x10, 0xA4, 0xE8, 0x54, 0xA3,
                                       0x8F, 0x74}};

// {3181763E-402D-44A2-B18B-0A9CF4F972FF}: _cls_Projekt as it is now.
inline constexpr Guid kProjektInterfaceId{{0x31, 0x81, 0x76, 0x3E, 0x40, 0x2D,
                                           0x44, 0xA2, 0xB1, 0x8B, 0x0A, 0x9C,
                                           0xF4, 0xF9, 0x72, 0xFF}};

// {CBD4251E-E3B9-4608-8B03-B53D07318551}
inline constexpr Guid kProjektTypeLibId{{0xCB, 0xD4, 0x25, 0x1E, 0xE3, 0xB9,
                                         0x46, 0x08, 0x8B, 0x03, 0xB5, 0x3D,
                                         0x07, 0x31, 0x85, 0x51}};
inline constexpr uint16_t kProjektTypeLibMajor = 1;
inline constexpr uint16_t kProjektTypeLibMinor = 3;

// The earlier versions of _cls_Projekt, oldest first:
// {B47B7C8F-9F1A-4975-96CD-AE1820CA804E}
// {424BCE26-65C4-4807-BB4C-9DB79F42A6EB}
// {8F4741F4-1C20-4414-BC01-B9D7B48A0BEA}
inline constexpr std::array<Guid, 3> kProjektEarlierInterfaceIds{{
    {{0xB4, 0x7B, 0x7C, 0x8F, 0x9F, 0x1A, 0x49, 0x75, 0x96, 0xCD, 0xAE, 0x18,
      0x20, 0xCA, 0x80, 0x4E}},
    {{0x42, 0x4B, 0xCE, 0x26, 0x65, 0xC4, 0x48, 0x07, 0xBB, 0x4C, 0x9D, 0xB7,
      0x9F, 0x42, 0xA6, 0xEB}},
    {{0x8F, 0x47, 0x41, 0xF4, 0x1C, 0x20, 0x44, 0x14, 0xBC, 0x01, 0xB9, 0xD7,
      0xB4, 0x8A, 0x0B, 0xEA}},
}};

}  // namespace vx

#endif  // VX_TALUVEK_PROJEKT_BINDING_H_
