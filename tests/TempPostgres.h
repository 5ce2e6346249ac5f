// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

// A PostgreSQL 15 server of its own in a temporary folder, reached only
// through a Unix socket in that folder; stopped and removed with the object,
// whatever happened. PostgreSQL refuses to run as root, so under root it runs
// as nobody. Logins use the passfile ConnInfo names, as a laptop's ~/.pgpass.
class CTempPostgres
{
public:
    static constexpr const char* kOwner = "velor_owner";
    static constexpr const char* kOwnerPassword = "owner-secret";

    CTempPostgres() { m_ok = Create(); }
    ~CTempPostgres()
    {
        if (m_running)
            Run(Program("pg_ctl"), {"-D", DataDir(), "-m", "immediate", "-w", "stop"});
    }
    CTempPostgres(const CTempPostgres&) = delete;
    CTempPostgres& operator=(const CTempPostgres&) = delete;

    bool Ok() const { return m_ok; }
    QString Error() const { return m_error; }
    QString Folder() const { return m_dir.path(); }

    bool Start()
    {
        m_running = Run(Program("pg_ctl"), {"-D", DataDir(), "-l", m_dir.filePath("server.log"), "-w", "-o",
                                            QString("-p %1 -k %2 -c listen_addresses='' -c fsync=off").arg(kPort).arg(SocketDir()),
                                            "start"});
        return m_running;
    }
    bool Stop()
    {
        m_running = !Run(Program("pg_ctl"), {"-D", DataDir(), "-m", "fast", "-w", "stop"});
        return !m_running;
    }

    // A connection string for user, whose password (when given) goes into the passfile.
    QString ConnInfo(const QString& user, const QString& password = {})
    {
        if (!password.isEmpty())
            AddPassword(user, password);
        return QString("host=%1 port=%2 dbname=postgres user=%3 passfile=%4")
            .arg(SocketDir()).arg(kPort).arg(user, m_dir.filePath("pgpass"));
    }

private:
    static constexpr int kPort = 5432; // a Unix socket in our own folder: no port to share

    static QString Program(const QString& name) { return "/usr/lib/postgresql/15/bin/" + name; }
    QString DataDir() const { return m_dir.filePath("data"); }
    QString SocketDir() const { return m_dir.filePath("socket"); }

    bool Failed(const QString& why)
    {
        m_error = why;
        return false;
    }

    bool Create()
    {
        if (!m_dir.isValid())
            return Failed("no temporary folder");
        QFile password(m_dir.filePath("owner-password"));
        if (!password.open(QIODevice::WriteOnly) || password.write(kOwnerPassword) < 0)
            return Failed("cannot write the owner's password file");
        password.close();
        QDir(m_dir.path()).mkdir("socket");
        if (geteuid() == 0 && !HandToNobody())
            return Failed("cannot hand the folder to nobody");
        if (!Run(Program("initdb"), {"-D", DataDir(), "-U", kOwner, "--auth=scram-sha-256", "--pwfile=" + password.fileName(),
                                     "-E", "UTF8", "--locale=C.UTF-8", "--no-sync"}))
            return false;
        AddPassword(kOwner, kOwnerPassword);
        return Start();
    }

    bool HandToNobody()
    {
        const passwd* nobody = getpwnam("nobody");
        if (!nobody)
            return false;
        for (const QString& path : {m_dir.path(), SocketDir(), m_dir.filePath("owner-password")})
            if (chown(path.toLocal8Bit().constData(), nobody->pw_uid, nobody->pw_gid) != 0)
                return false;
        return true;
    }

    bool Run(const QString& program, QStringList arguments)
    {
        QString command = program;
        if (geteuid() == 0) {
            arguments.prepend(program);
            arguments = QStringList{"-u", "nobody", "--"} + arguments;
            command = "runuser";
        }
        QProcess process;
        process.setWorkingDirectory(m_dir.path());
        QProcessEnvironment environment = QProcessEnvironment::systemEnvironment();
        environment.insert("LC_ALL", "C.UTF-8");
        process.setProcessEnvironment(environment);
        process.start(command, arguments);
        if (process.waitForFinished(60000) && process.exitStatus() == QProcess::NormalExit && process.exitCode() == 0)
            return true;
        m_error = QString("%1 failed: %2%3").arg(program, QString::fromLocal8Bit(process.readAllStandardError()),
                                                  QString::fromLocal8Bit(process.readAllStandardOutput()));
        return false;
    }

    void AddPassword(const QString& user, const QString& password)
    {
        QFile file(m_dir.filePath("pgpass"));
        if (file.open(QIODevice::Append))
            file.write(QString("*:*:*:%1:%2\n").arg(user, password).toUtf8());
        file.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    }

    QTemporaryDir m_dir;
    QString m_error;
    bool m_ok = false;
    bool m_running = false;
};
