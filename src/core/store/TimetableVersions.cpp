#include "core/store/TimetableVersions.h"

#include "core/store/Sql.h"
#include "core/store/SqliteFailure.h"
#include "core/store/TimetableDb.h"

#include <QCryptographicHash>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <algorithm>
#include <memory>

namespace {

const char* const kSchema[] = {
    "create table if not exists Version (Number integer primary key autoincrement, Time text,"
    " Cause text, Lessons integer, Digest text)",
    "create table if not exists VersionLesson (Number integer, ClassCode text, Day integer,"
    " LessonNo integer, CourseCode text, TeacherCode text, SetFlag integer)",
    "create table if not exists VersionPlan (Number integer, ClassCode text, CourseCode text,"
    " TeacherCode text, BuildCount integer, IsAutoBuild integer)",
    "create index if not exists idxVersionLesson on VersionLesson (Number)",
    "create index if not exists idxVersionPlan on VersionPlan (Number)",
};

// SetFlag of a pre-set lesson (Origin::Preset; this file's own Lesson is the
// stored row).
constexpr int kPresetFlag = 0;

struct Lesson {
    QString classCode;
    int day, lessonNo;
    QString courseCode, teacherCode;
    int setFlag;
};
struct Counter {
    QString classCode, courseCode, teacherCode;
    int buildCount, isAutoBuild;
};
struct Snapshot {
    QList<Lesson> lessons;
    QList<Counter> counters;

    QByteArray digest() const {
        QCryptographicHash hash(QCryptographicHash::Sha1);
        auto add = [&](const QString& s) { hash.addData((s + QChar(0x1F)).toUtf8()); };
        for (const Lesson& l : lessons)
            for (const QString& s :
                 {l.classCode, QString::number(l.day), QString::number(l.lessonNo), l.courseCode,
                  l.teacherCode, QString::number(l.setFlag)})
                add(s);
        add(QStringLiteral("|"));
        for (const Counter& c : counters)
            for (const QString& s : {c.classCode, c.courseCode, c.teacherCode,
                                     QString::number(c.buildCount), QString::number(c.isAutoBuild)})
                add(s);
        return hash.result().toHex();
    }
};

Snapshot ReadTimetable(SQLite::Database& d) {
    Snapshot s;
    SQLite::Statement lessons(d, "select ClassCode, Day, LessonNo, CourseCode, TeacherCode, SetFlag"
                                 " from LessonListtb order by rowid");
    while (lessons.executeStep())
        s.lessons.append({sql::text(lessons.getColumn(0)), lessons.getColumn(1).getInt(),
                          lessons.getColumn(2).getInt(), sql::text(lessons.getColumn(3)),
                          sql::text(lessons.getColumn(4)), lessons.getColumn(5).getInt()});
    SQLite::Statement plan(d, "select ClassCode, CourseCode, TeacherCode, BuildCount, IsAutoBuild"
                              " from ClassPlantb order by rowid");
    while (plan.executeStep())
        s.counters.append({sql::text(plan.getColumn(0)), sql::text(plan.getColumn(1)),
                           sql::text(plan.getColumn(2)), plan.getColumn(3).getInt(),
                           plan.getColumn(4).getInt()});
    return s;
}

QString PathOf(TimetableDb& db) {
    if (!db.isOpen())
        throw Failure(QStringLiteral("没有打开的数据库"));
    return VersionsFileName(db.path());
}

// A file of this program's versions holds only its own tables. Anything else at
// that name (another program's database, a document) is refused and left as it
// is: no table is ever written into it.
void RefuseForeignFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() || (info.isFile() && info.size() == 0))
        return; // SQLite makes an empty file its own database
    const Failure foreign(QStringLiteral("这个文件不是本程序保存课表版本的文件，没有改动它"), path,
                          QStringLiteral("请把它移走或改名，再重试。"));
    QFile file(path);
    if (!info.isFile() || !file.open(QIODevice::ReadOnly) ||
        file.read(16) != QByteArrayView("SQLite format 3\0", 16))
        throw foreign;
    file.close();
    QStringList tables;
    try {
        SQLite::Database d(QFile::encodeName(path).toStdString(), SQLite::OPEN_READONLY);
        SQLite::Statement st(d, "select name from sqlite_master where type = 'table'");
        while (st.executeStep())
            tables << sql::text(st.getColumn(0));
    } catch (const std::exception&) {
        throw foreign;
    }
    const QStringList ours = {QStringLiteral("Version"), QStringLiteral("VersionLesson"),
                              QStringLiteral("VersionPlan"), QStringLiteral("sqlite_sequence")};
    for (const QString& t : tables)
        if (!ours.contains(t))
            throw foreign;
    if (!tables.isEmpty() && !tables.contains(QStringLiteral("Version")))
        throw foreign;
}

std::unique_ptr<SQLite::Database> OpenVersions(const QString& path, bool create) {
    if (!create && !QFileInfo::exists(path))
        return nullptr;
    RefuseForeignFile(path);
    try {
        auto file = std::make_unique<SQLite::Database>(QFile::encodeName(path).toStdString(),
                                                       SQLite::OPEN_READWRITE |
                                                           (create ? SQLite::OPEN_CREATE : 0));
        file->exec("pragma busy_timeout = 2000");
        for (const char* statement : kSchema)
            file->exec(statement);
        return file;
    } catch (const std::exception& e) {
        throw AsFailure(e, path);
    }
}

void Keep(SQLite::Database& file, const Snapshot& s, const QString& cause) {
    const QString digest = QString::fromLatin1(s.digest());
    if (sql::firstText(file, "select Digest from Version order by Number desc limit 1") == digest)
        return;
    SQLite::Transaction tx(file);
    sql::exec(file, "insert into Version (Time, Cause, Lessons, Digest) values (?, ?, ?, ?)",
              QDateTime::currentDateTime().toString(Qt::ISODate), cause,
              static_cast<int>(s.lessons.size()), digest);
    const long long number = file.getLastInsertRowid();
    SQLite::Statement lesson(file, "insert into VersionLesson values (?, ?, ?, ?, ?, ?, ?)");
    for (const Lesson& l : s.lessons) {
        sql::bind(lesson, number, l.classCode, l.day, l.lessonNo, l.courseCode, l.teacherCode,
                  l.setFlag);
        lesson.exec();
        lesson.reset();
    }
    SQLite::Statement counter(file, "insert into VersionPlan values (?, ?, ?, ?, ?, ?)");
    for (const Counter& c : s.counters) {
        sql::bind(counter, number, c.classCode, c.courseCode, c.teacherCode, c.buildCount,
                  c.isAutoBuild);
        counter.exec();
        counter.reset();
    }
    // Everything older than the newest kVersionsKept goes.
    sql::exec(file,
              "delete from VersionLesson where Number <= (select Number from Version"
              " order by Number desc limit 1 offset ?)",
              kVersionsKept);
    sql::exec(file,
              "delete from VersionPlan where Number <= (select Number from Version"
              " order by Number desc limit 1 offset ?)",
              kVersionsKept);
    sql::exec(file,
              "delete from Version where Number <= (select Number from Version"
              " order by Number desc limit 1 offset ?)",
              kVersionsKept);
    tx.commit();
}

Snapshot ReadVersion(SQLite::Database& file, int number) {
    if (!sql::hasRow(file, "select Number from Version where Number = ?", number))
        throw Failure(QStringLiteral("没有第 %1 号课表版本").arg(number));
    Snapshot s;
    SQLite::Statement lessons(file, "select ClassCode, Day, LessonNo, CourseCode, TeacherCode,"
                                    " SetFlag from VersionLesson where Number = ? order by rowid");
    sql::bind(lessons, number);
    while (lessons.executeStep())
        s.lessons.append({sql::text(lessons.getColumn(0)), lessons.getColumn(1).getInt(),
                          lessons.getColumn(2).getInt(), sql::text(lessons.getColumn(3)),
                          sql::text(lessons.getColumn(4)), lessons.getColumn(5).getInt()});
    SQLite::Statement plan(file, "select ClassCode, CourseCode, TeacherCode, BuildCount,"
                                 " IsAutoBuild from VersionPlan where Number = ? order by rowid");
    sql::bind(plan, number);
    while (plan.executeStep())
        s.counters.append({sql::text(plan.getColumn(0)), sql::text(plan.getColumn(1)),
                           sql::text(plan.getColumn(2)), plan.getColumn(3).getInt(),
                           plan.getColumn(4).getInt()});
    return s;
}

} // namespace

QString VersionsFileName(const QString& databasePath) {
    return databasePath + QStringLiteral(".versions");
}

void KeepVersion(TimetableDb& db, const QString& cause) {
    const QString path = PathOf(db);
    Snapshot s;
    try {
        s = ReadTimetable(db.sql());
    } catch (const std::exception& e) {
        throw AsFailure(e, db.path());
    }
    auto file = OpenVersions(path, true);
    try {
        Keep(*file, s, cause);
    } catch (const std::exception& e) {
        throw AsFailure(e, path);
    }
}

bool tryKeepVersion(TimetableDb& db, const QString& cause, QString* why) {
    return TryOrSay(why, [&] { KeepVersion(db, cause); });
}

QList<TimetableVersion> ListVersions(TimetableDb& db) {
    auto file = OpenVersions(PathOf(db), false);
    QList<TimetableVersion> versions;
    if (!file)
        return versions;
    try {
        SQLite::Statement st(
            *file, "select Number, Time, Cause, Lessons from Version order by Number desc");
        while (st.executeStep())
            versions.append({st.getColumn(0).getInt(),
                             QDateTime::fromString(sql::text(st.getColumn(1)), Qt::ISODate),
                             sql::text(st.getColumn(2)), st.getColumn(3).getInt()});
    } catch (const std::exception& e) {
        throw AsFailure(e, VersionsFileName(db.path()));
    }
    return versions;
}

RestoreResult RestoreVersion(TimetableDb& db, int number) {
    const QString path = PathOf(db);
    auto file = OpenVersions(path, false);
    if (!file)
        throw Failure(QStringLiteral("还没有保留过课表版本"));
    Snapshot version;
    try {
        version = ReadVersion(*file, number);
    } catch (const std::exception& e) {
        throw AsFailure(e, path);
    }
    file.reset();
    KeepVersion(db, VersionCause::Restore + QStringLiteral("（恢复第 %1 号）").arg(number));

    RestoreResult result;
    try {
        SQLite::Database& d = db.sql();
        SQLite::Transaction tx(d);
        d.exec("delete from LessonListtb");
        // What the plan allows now, by class, course and teacher (equal rows add up).
        QHash<QString, long long> room;
        auto key = [](const QString& a, const QString& b, const QString& c) {
            return a + QChar(0x1f) + b + QChar(0x1f) + c;
        };
        {
            SQLite::Statement st(d, "select ClassCode, CourseCode, TeacherCode, Count from"
                                    " ClassPlantb where ClassCode <> '' and CourseCode <> ''"
                                    " and TeacherCode <> ''");
            while (st.executeStep())
                room[key(sql::text(st.getColumn(0)), sql::text(st.getColumn(1)),
                         sql::text(st.getColumn(2)))] +=
                    std::max<long long>(0,
                                        st.getColumn(3).isNull() ? 0 : st.getColumn(3).getInt64());
        }
        // A lesson whose class, course or teacher was deleted since would show
        // without a name; it is left out, as data maintenance would remove it.
        SQLite::Statement insert(
            d,
            "insert into LessonListtb (ClassCode, Day, LessonNo, CourseCode, TeacherCode, SetFlag)"
            " select ?, ?, ?, ?, ?, ? where exists (select 1 from Classtb where Code = ?)"
            " and exists (select 1 from Coursetb where Code = ?)"
            " and exists (select 1 from Teachertb where Code = ?)");
        // Pre-set lessons first: the school fixed them, so they keep their
        // places in a row before generated ones.
        std::vector<const Lesson*> ordered;
        for (const Lesson& l : version.lessons)
            if (l.setFlag == kPresetFlag)
                ordered.push_back(&l);
        for (const Lesson& l : version.lessons)
            if (l.setFlag != kPresetFlag)
                ordered.push_back(&l);
        for (const Lesson* l : ordered) {
            const QString k = key(l->classCode, l->courseCode, l->teacherCode);
            const bool preset = l->setFlag == kPresetFlag;
            auto it = room.find(k);
            if (it == room.end() && !preset) {
                ++result.notInPlan;
                continue;
            }
            if (it != room.end() && it.value() <= 0) {
                ++result.overCount;
                continue;
            }
            sql::bind(insert, l->classCode, l->day, l->lessonNo, l->courseCode, l->teacherCode,
                      l->setFlag, l->classCode, l->courseCode, l->teacherCode);
            if (insert.exec() == 1) {
                ++result.lessons;
                if (it != room.end())
                    --it.value();
            } else {
                ++result.deleted;
            }
            insert.reset();
        }
        result.skipped = result.deleted + result.notInPlan + result.overCount;
        d.exec(
            "update ClassPlantb set IsAutoBuild = 0, BuildCount = (select count(*) from"
            " LessonListtb L where L.ClassCode = ClassPlantb.ClassCode and"
            " L.CourseCode = ClassPlantb.CourseCode and L.TeacherCode = ClassPlantb.TeacherCode)");
        SQLite::Statement counter(d, "update ClassPlantb set IsAutoBuild = ? where"
                                     " ClassCode = ? and CourseCode = ? and TeacherCode = ?");
        for (const Counter& c : version.counters) {
            sql::bind(counter, c.isAutoBuild, c.classCode, c.courseCode, c.teacherCode);
            counter.exec();
            counter.reset();
        }
        tx.commit();
    } catch (const std::exception& e) {
        throw AsFailure(e, db.path());
    }
    return result;
}

QStringList RestoreResult::skippedLines() const {
    QStringList lines;
    if (deleted > 0)
        lines << QStringLiteral("%1 节课的班级、课程或老师已被删除，没有恢复。").arg(deleted);
    if (notInPlan > 0)
        lines << QStringLiteral(
                     "%1 节课现在的教学计划中没有（班级、课程和老师不再对应），没有恢复。")
                     .arg(notInPlan);
    if (overCount > 0)
        lines << QStringLiteral("%1 节课超过了现在教学计划的节数，没有恢复。").arg(overCount);
    return lines;
}
