#pragma once
// What a program with windows installs at start, before its first form:
// message boxes and file dialogs over Qt Widgets, titled with the product's
// title when the caller names none, Traditional Chinese faces for Han text
// whatever the locale, and handler failures
// (timer ticks, form events) written to the error report under the
// handler's name, with the program's name as their source; the system's
// printer as the default one.
namespace common {

void InstallWindowServices();

}  // namespace common
