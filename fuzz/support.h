#pragma once
// What every fuzz target shares: one scratch folder for the run (it is also
// the program folder, so logs and found files stay in it), a fake prompt
// that never blocks, and a fresh process state before each input.
#include <QByteArray>
#include <QString>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <QList>

namespace fuzz {

// While it lives, the current folder is the scratch folder, so relative
// names an input makes up land there; the fuzzer's own folder comes back
// after the input (it reads its corpus by the names it was given).
class Input {
 public:
  Input();
  ~Input();
  Input(const Input&) = delete;
  Input& operator=(const Input&) = delete;

 private:
  QString before_;
};

// Call first in LLVMFuzzerTestOneInput and keep the result: the application
// object on the first call; then the common library's state back to process
// start, the program folder pointed at the scratch folder, the scratch
// folder emptied and made the current folder.
[[nodiscard]] Input BeginInput();

// The scratch folder, with a trailing "/".
QString Folder();

// Writes the input under `name` in the scratch folder; the full path.
QString WriteInput(const QString& name, const std::uint8_t* data, std::size_t size);
QString WriteInput(const QString& name, const QByteArray& bytes);

// The input as bytes (no copy: valid while the input is).
QByteArray Bytes(const std::uint8_t* data, std::size_t size);

// True when the path, taken as a reader would (either separator, relative
// to the scratch folder), stays inside the scratch folder. Targets write only
// there, whatever names the input makes up.
bool Inside(const QString& path);

// The last part of a path, either separator.
QString BaseName(const QString& path);

// The peer's arrivals in a network input: the bytes cut at every "\n%%\n"
// (the protocols have no terminator, so where one arrival ends is part of
// what is fuzzed).
QList<QByteArray> Arrivals(const QByteArray& bytes);

// Runs the event loop until `done` holds, at most `rounds` passes.
void Settle(const std::function<bool()>& done, int rounds = 50);

}  // namespace fuzz
