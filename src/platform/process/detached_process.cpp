#include "platform/process/detached_process.h"

#include <QProcess>
#include <QStringList>

namespace platform {

std::optional<std::string> startDetached(const std::string& program, const std::vector<std::string>& arguments,
                                         DetachedOutput output) {
  QStringList list;
  for (const auto& argument : arguments) list << QString::fromStdString(argument);
  QProcess process;
  process.setProgram(QString::fromStdString(program));
  process.setArguments(list);
  process.setStandardInputFile(QProcess::nullDevice());
  if (output == DetachedOutput::discarded) process.setStandardOutputFile(QProcess::nullDevice());
  if (process.startDetached()) return std::nullopt;
  return process.errorString().toStdString();
}

}  // namespace platform
