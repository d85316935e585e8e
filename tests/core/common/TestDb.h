#pragma once
// A fresh timetable database in a temporary folder, opened as the program
// opens it, with shorthands to fill the tables.
#include "core/store/TimetableDb.h"

#include <QString>
#include <QTemporaryDir>

class TestDb {
public:
    TestDb();
    TimetableDb db;
    QString path;
    QString dir() const { return m_dir.path(); }

    void exec(const QString& statement);
    long long count(const QString& selectCount);
    QString text(const QString& select);

    void addClass(const QString& code, const QString& name, const QString& fullName = {},
                  const QString& shortName = {});
    void addCourse(const QString& code, const QString& name, const QString& shortName = {});
    void addTeacher(const QString& code, const QString& name);
    void addClassRoom(const QString& code, const QString& name);
    void addPlan(const QString& classCode, const QString& courseCode, const QString& teacherCode,
                 int count, int buildCount = 0, int isAutoBuild = 0);
    void addLesson(const QString& classCode, int day, int lessonNo, const QString& courseCode,
                   const QString& teacherCode, int setFlag);
    void addLimit(int kind, const QString& code, int day, int lessonNo, int attr);

private:
    QTemporaryDir m_dir;
};
