#pragma once
// What every fuzz target shares: one scratch folder for the run (it is also
// the program folder, so logs and found files stay in it), a fake prompt
// that never blocks, and a fresh process state before each input.
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>

namespace fuzz {

// Call first in LLVMFuzzerTestOneInput: the application object on the first
// call; then the common library's state back to process start, the program
// folder pointed at the scratch folder, and the scratch folder emptied.
void BeginInput();

// The scratch folder, with a trailing "/".
QString Folder();

// Writes the input under `name` in the scratch folder; the full path.
QString WriteInput(const QString& name, const std::uint8_t* data, std::size_t size);
QString WriteInput(const QString& name, const QByteArray& bytes);

// The input as bytes (no copy: valid while the input is).
QByteArray Bytes(const std::uint8_t* data, std::size_t size);

}  // namespace fuzz
