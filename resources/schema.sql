-- The timetable database: the eight tables of the first version and newer
-- ones that older copies ignore, no keys. The program checks uniqueness
-- itself before writing; the indexes only speed up the lookups that the
-- generator and the grid windows run most.
CREATE TABLE Classtb (Code TEXT, Name TEXT, FullName TEXT, ShortName TEXT);
CREATE TABLE Coursetb (Code TEXT, Name TEXT, FullName TEXT, ShortName TEXT);
CREATE TABLE Teachertb (Code TEXT, Name TEXT, FullName TEXT, ShortName TEXT);
CREATE TABLE ClassRoomtb (Code TEXT, Name TEXT, FullName TEXT, ShortName TEXT);
CREATE TABLE ClassPlantb (
    ClassCode TEXT,
    CourseCode TEXT,
    TeacherCode TEXT,
    Count INTEGER,
    BuildCount INTEGER DEFAULT 0,
    IsAutoBuild INTEGER DEFAULT 0
);
CREATE TABLE LessonListtb (
    ClassCode TEXT,
    Day INTEGER,
    LessonNo INTEGER,
    CourseCode TEXT,
    TeacherCode TEXT,
    SetFlag INTEGER
);
CREATE TABLE Limittb (Kind INTEGER, Code TEXT, Day INTEGER, LessonNo INTEGER, Attr INTEGER);
CREATE TABLE CourseAttrtb (CourseCode TEXT);
-- Newer settings, each in a table of its own: older copies of the program
-- never read them, and a database without them reads as "no settings".
-- 作息时间. Databases written before these existed lack them: the program makes
-- them when the times are first saved and reads defaults until then.
CREATE TABLE LessonTimetb (LessonNo INTEGER, StartTime TEXT, EndTime TEXT);
CREATE TABLE TermDaytb (FirstDay TEXT, LastDay TEXT);
-- A course's room (classes at once) and daily maximum; Null: no setting.
-- Capacity 1 is also in CourseAttrtb, which older copies read.
CREATE TABLE CourseRuletb (CourseCode TEXT, MaxClasses INTEGER, MaxPerDay INTEGER);
-- A teacher's lessons a day and in a row at most, and subject group (教研组).
CREATE TABLE TeacherRuletb (TeacherCode TEXT, MaxPerDay INTEGER, MaxInRow INTEGER, GroupCode TEXT);
CREATE TABLE TeacherGrouptb (Code TEXT, Name TEXT, FullName TEXT, ShortName TEXT);
-- 合班: the first class's plan row (ClassCode, CourseCode, TeacherCode) is
-- taught together with OtherClassCode; one row per further class. Older
-- copies of the program do not read it.
CREATE TABLE PlanJointtb (ClassCode TEXT, CourseCode TEXT, TeacherCode TEXT, OtherClassCode TEXT);
-- Added later, each read as "nothing set" where missing, so that older
-- databases open unchanged and older copies of the program ignore them:
-- double lessons (连堂) of a plan row, by its class, course and teacher;
CREATE TABLE PlanDoubletb (ClassCode TEXT, CourseCode TEXT, TeacherCode TEXT, DoubleCount INTEGER);
-- settings of the school's week by name ("MorningLessons": 上午 N 节).
CREATE TABLE Settingtb (Name TEXT, Value);

CREATE INDEX idxLessonClassSlot ON LessonListtb (ClassCode, Day, LessonNo);
CREATE INDEX idxLessonTeacherSlot ON LessonListtb (TeacherCode, Day, LessonNo);
CREATE INDEX idxLimitCell ON Limittb (Kind, Code, Day, LessonNo);
CREATE INDEX idxPlanClassCourse ON ClassPlantb (ClassCode, CourseCode);
