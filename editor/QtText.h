// Text at the boundary between the core (CP936 bytes) and the screen (Unicode).
#pragma once

#include <QString>
#include <string>

namespace quorvelin {

QString FromCp936(const std::string& gbk);
std::string ToCp936(const QString& text);

}  // namespace quorvelin
