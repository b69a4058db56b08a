-- The data file of Coffer: every table in the column order the program reads by position.
PRAGMA application_id = 1131374182; -- 0x436F6666, "Coff"

CREATE TABLE normalIncome (
    编号 INTEGER PRIMARY KEY AUTOINCREMENT,
    收入人员 TEXT,
    收入金额 DOUBLE,
    收入日期 DATETIME,
    收入项目 TEXT,
    备注 TEXT
);

CREATE TABLE normalPay (
    编号 INTEGER PRIMARY KEY AUTOINCREMENT,
    支出人员 TEXT,
    支出金额 DOUBLE,
    支出日期 DATETIME,
    支出项目 TEXT,
    备注 TEXT
);

CREATE TABLE 家庭成员 (
    ID INTEGER PRIMARY KEY,
    类型 TEXT,
    备注 TEXT
);

CREATE TABLE 收入类型 (
    ID INTEGER PRIMARY KEY,
    类型 TEXT,
    备注 TEXT
);

CREATE TABLE 支出类型 (
    ID INTEGER PRIMARY KEY,
    类型 TEXT,
    备注 TEXT
);

CREATE TABLE baseData (
    ID INTEGER PRIMARY KEY,
    类型 TEXT
);

CREATE TABLE tbUser (
    ID INTEGER PRIMARY KEY,
    user TEXT,
    password TEXT
);

CREATE INDEX normalIncome_收入日期 ON normalIncome (收入日期);
CREATE INDEX normalPay_支出日期 ON normalPay (支出日期);

INSERT INTO baseData (类型) VALUES ('家庭成员'), ('收入类型'), ('支出类型');
INSERT INTO tbUser (user, password) VALUES ('root', '73950');
INSERT INTO 家庭成员 (类型) VALUES ('爸爸'), ('妈妈'), ('孩子');
INSERT INTO 收入类型 (类型) VALUES ('工资'), ('奖金'), ('理财收益'), ('其他收入');
INSERT INTO 支出类型 (类型) VALUES ('餐饮'), ('交通'), ('购物'), ('住房'), ('医疗'), ('教育'), ('其他支出');
