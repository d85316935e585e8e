#pragma once
// A small school for the export tests: three classes, two teachers and six
// lessons. Classes and teachers are inserted out of code order so the tests see
// the exports order them.
#include "TestDb.h"

inline void FillSmallSchool(TestDb& t) {
    t.addClass("21", "二(1)班", "二年级(1)班", "二1");
    t.addClass("11", "一(1)班", "一年级(1)班", "一1");
    t.addClass("12", "一(2)班", "一年级(2)班", "一2");
    t.addCourse("01", "语文", "语");
    t.addCourse("02", "数学", "数");
    t.addCourse("03", "音乐", "音");
    t.addTeacher("T2", "张老师");
    t.addTeacher("T1", "李老师");
    t.addLesson("11", 1, 1, "01", "T2", 1); // Monday lesson 1
    t.addLesson("11", 2, 3, "02", "T1", 1); // Tuesday lesson 3
    t.addLesson("11", 5, 6, "03", "T1", 2); // Friday lesson 6
    t.addLesson("12", 3, 2, "02", "T1", 0); // Wednesday lesson 2
    t.addLesson("21", 4, 4, "01", "T2", 1); // Thursday lesson 4
    t.addLesson("21", 1, 5, "02", "T1", 1); // Monday lesson 5
}
