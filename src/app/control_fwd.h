#pragma once

// The control and event enums without their enumerators, for headers that only name the types.
// Qt's moc cannot read the enumerators (they are the controls' Chinese names), so headers it
// parses include this one instead of app/control.h.

namespace tevrin {

enum class Control;
enum class Event;

}  // namespace tevrin
