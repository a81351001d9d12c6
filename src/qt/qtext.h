// The one place where model text (UTF-8 std::string) meets QString.
#pragma once

#include <QString>
#include <string>

namespace orvelin::qt {

inline QString toQ(const std::string& s) { return QString::fromUtf8(s.data(), static_cast<int>(s.size())); }
inline std::string fromQ(const QString& s) {
    QByteArray b = s.toUtf8();
    return std::string(b.constData(), static_cast<size_t>(b.size()));
}

}  // namespace orvelin::qt
