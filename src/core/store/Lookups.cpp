#include "core/store/Lookups.h"

#include "core/model/ClassNames.h"

#include "core/store/Sql.h"
#include "core/store/SqliteFailure.h"
#include "core/store/TimetableDb.h"

namespace {

// Where several rows match (two courses of one name) the first stored row wins.
QString lookup(TimetableDb& db, const char* q, const QString& key) {
    try {
        return sql::firstText(db.sql(), q, key);
    } catch (const std::exception&) {
        return {};
    }
}

QStringList nameList(TimetableDb& db, const char* q) {
    QStringList names;
    try {
        SQLite::Statement st(db.sql(), q);
        while (st.executeStep())
            names << sql::text(st.getColumn(0));
    } catch (const std::exception&) {
    }
    return names;
}

} // namespace

QString GetClassName(TimetableDb& db, const QString& code) {
    return lookup(db, "select Name from Classtb where Code=? order by rowid", code);
}
QString GetClassShortName(TimetableDb& db, const QString& code) {
    return lookup(db, "select ShortName from Classtb where Code=? order by rowid", code);
}
QString GetCourseName(TimetableDb& db, const QString& code) {
    return lookup(db, "select Name from Coursetb where Code=? order by rowid", code);
}
QString GetTeacherName(TimetableDb& db, const QString& code) {
    return lookup(db, "select Name from Teachertb where Code=? order by rowid", code);
}
QString GetClassCode(TimetableDb& db, const QString& name) {
    const QString code = lookup(db, "select Code from Classtb where Name=? order by rowid", name);
    if (!code.isEmpty())
        return code;
    // A name typed in another office form (一(1)班, 一年级1班) names the class of its code.
    const ClassCodeParts parts = ReadClassName(name);
    if (parts.grade < 0)
        return {};
    return lookup(db, "select Code from Classtb where Code=? order by rowid",
                  FormClassCode(parts.grade, parts.classNumber));
}
QString GetCourseCode(TimetableDb& db, const QString& name) {
    return lookup(db, "select Code from Coursetb where Name=? order by rowid", name);
}
QString GetTeacherCode(TimetableDb& db, const QString& name) {
    return lookup(db, "select Code from Teachertb where Name=? order by rowid", name);
}
QString GetClassRoomCode(TimetableDb& db, const QString& name) {
    return lookup(db, "select Code from ClassRoomtb where Name=? order by rowid", name);
}

QString GetPlanTeacher(TimetableDb& db, const QString& classCode, const QString& courseCode) {
    try {
        return sql::firstText(db.sql(),
                              "select TeacherCode from ClassPlantb where ClassCode=? and "
                              "CourseCode=? order by rowid",
                              classCode, courseCode);
    } catch (const std::exception&) {
        return {};
    }
}

std::function<QString(char, const QString&)> NamesOf(TimetableDb& db) {
    return [&db](char kind, const QString& code) {
        return kind == 'c'   ? GetClassName(db, code)
               : kind == 'k' ? GetCourseName(db, code)
                             : GetTeacherName(db, code);
    };
}

QStringList ClassNameList(TimetableDb& db) {
    return nameList(db, "select Name from Classtb order by rowid");
}
QStringList TeacherNameList(TimetableDb& db) {
    return nameList(db, "select Name from Teachertb order by Code");
}

bool HasTimetable(TimetableDb& db) {
    try {
        return sql::firstInt(db.sql(), 0,
                             "select exists(select 1 from LessonListtb where SetFlag <> 0)") != 0;
    } catch (const std::exception& e) {
        throw AsFailure(e, db.path());
    }
}

int HighestLessonNo(TimetableDb& db) {
    try {
        return static_cast<int>(
            sql::firstInt(db.sql(), 0, "select coalesce(max(LessonNo), 0) from LessonListtb"));
    } catch (const std::exception& e) {
        throw AsFailure(e, db.path());
    }
}

void DeleteAllLessons(TimetableDb& db) {
    try {
        SQLite::Transaction tx(db.sql());
        db.sql().exec("delete from LessonListtb");
        db.sql().exec("update ClassPlantb set IsAutoBuild=0, BuildCount=0");
        tx.commit();
    } catch (const std::exception& e) {
        throw AsFailure(e, db.path());
    }
}

bool tryDeleteAllLessons(TimetableDb& db, QString* why) {
    return TryOrSay(why, [&] { DeleteAllLessons(db); });
}

std::function<QString(char, const QString&)> NameLookup(TimetableDb& db) {
    return [&db](char kind, const QString& code) {
        return kind == 'c'   ? GetClassName(db, code)
               : kind == 'k' ? GetCourseName(db, code)
                             : GetTeacherName(db, code);
    };
}
