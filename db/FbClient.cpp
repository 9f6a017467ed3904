#include "FbClient.h"

#include <dlfcn.h>

#include <mutex>
#include <vector>

using namespace Firebird;

namespace qm::db {

namespace {

using MasterEntry = IMaster* (*)();
using SqlStateEntry = void (*)(char*, const intptr_t*);

constexpr char kDefaultLibrary[] = "libfbclient.so.2";

std::mutex loading;
IMaster* loadedMaster = nullptr;
SqlStateEntry loadedSqlState = nullptr;

} // namespace

QString clientLibraryPath() {
    const QString fromEnv = qEnvironmentVariable("QUELMORA_FBCLIENT");
    return fromEnv.isEmpty() ? QString::fromLatin1(kDefaultLibrary) : fromEnv;
}

IMaster* loadClientLibrary(const QString& path) {
    const std::lock_guard<std::mutex> lock(loading);
    // The library stays loaded for the whole run: the client's objects live in it.
    void* handle = dlopen(path.toLocal8Bit().constData(), RTLD_NOW | RTLD_LOCAL);
    const auto fail = [&](const QString& why) {
        return DbError(QStringLiteral("Nie można załadować biblioteki klienta Firebird %1: %2")
                           .arg(path, why));
    };
    if (!handle)
        throw fail(QString::fromLocal8Bit(dlerror()));
    auto entry = reinterpret_cast<MasterEntry>(dlsym(handle, "fb_get_master_interface"));
    if (!entry)
        throw fail(QStringLiteral("brak funkcji fb_get_master_interface"));
    IMaster* master = entry();
    if (!master)
        throw fail(QStringLiteral("biblioteka nie podała swojego interfejsu"));
    if (!loadedMaster) {
        loadedMaster = master;
        loadedSqlState = reinterpret_cast<SqlStateEntry>(dlsym(handle, "fb_sqlstate"));
    }
    return master;
}

IMaster* firebirdMaster() {
    {
        const std::lock_guard<std::mutex> lock(loading);
        if (loadedMaster)
            return loadedMaster;
    }
    return loadClientLibrary(clientLibraryPath());
}

IUtil* firebirdUtil() {
    return firebirdMaster()->getUtilInterface();
}

DbError statusError(const intptr_t* vector, const QString& text) {
    std::vector<long> codes;
    QString sqlState;
    for (const intptr_t* at = vector; at && *at != isc_arg_end;) {
        const intptr_t kind = at[0];
        if (kind == isc_arg_gds)
            codes.push_back(long(at[1]));
        else if (kind == isc_arg_sql_state && at[1])
            sqlState = QString::fromLatin1(reinterpret_cast<const char*>(at[1]));
        at += kind == isc_arg_cstring ? 3 : 2;
    }
    if (sqlState.isEmpty() && !codes.empty() && loadedSqlState) {
        char state[6] = {};
        loadedSqlState(state, vector);
        sqlState = QString::fromLatin1(state, qsizetype(strnlen(state, 5)));
    }
    return DbError(text, std::move(codes), sqlState);
}

Status::Status(const TextCodec& codec)
    : BaseStatusWrapper(firebirdMaster()->getStatus()), codec_(codec) {}

Status::~Status() {
    status->dispose();
}

void Status::raise() {
    std::vector<char> buffer(4096);
    firebirdUtil()->formatStatus(buffer.data(), unsigned(buffer.size()), this);
    const QString text =
        codec_.decode(buffer.data(), qsizetype(strnlen(buffer.data(), buffer.size())));
    DbError error = statusError(getErrors(), text);
    clearException();
    throw error;
}

} // namespace qm::db
