// Environment variables set for the life of a test and put back afterwards.
#pragma once

#include <QByteArray>
#include <QFile>
#include <QString>

#include <optional>
#include <utility>
#include <vector>

// Sets environment variables for its lifetime and puts the previous values back.
class TEnvironment
{
public:
    TEnvironment() = default;
    TEnvironment(const TEnvironment &) = delete;
    TEnvironment &operator=(const TEnvironment &) = delete;
    ~TEnvironment()
    {
        for (auto it = m_saved.crbegin(); it != m_saved.crend(); ++it) {
            if (it->second)
                qputenv(it->first.constData(), *it->second);
            else
                qunsetenv(it->first.constData());
        }
    }
    void set(const char *name, const QString &value)
    {
        save(name);
        qputenv(name, QFile::encodeName(value));
    }
    void unset(const char *name)
    {
        save(name);
        qunsetenv(name);
    }

private:
    void save(const char *name)
    {
        std::optional<QByteArray> value;
        if (qEnvironmentVariableIsSet(name))
            value = qgetenv(name);
        m_saved.emplace_back(QByteArray(name), value);
    }
    std::vector<std::pair<QByteArray, std::optional<QByteArray>>> m_saved;
};

// The sanitizer build leaves the browser engine out of its tests (see tests/CMakeLists.txt).
inline bool BrowserEngineLeftOut()
{
    return qEnvironmentVariableIsSet("VEMORA_TESTS_WITHOUT_BROWSER");
}
