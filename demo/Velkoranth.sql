-- Velkoranth: the demo product database of a Chinese restaurant with a
-- dinner menu, a Cantonese morning-tea menu and a banquet menu.
--
-- One text for both engines. SQLite: demo/make-demo-db.sh FOLDER makes
-- FOLDER/Velkoranth.db from it. SQL Server: create a database Velkoranth with
-- a Chinese collation (Chinese_PRC_CI_AS) and run this file read as UTF-8,
-- for instance: sqlcmd -S SERVER -d Velkoranth -f 65001 -i Velkoranth.sql
-- Every value is written as the server stores it; dates are ISO texts.

BEGIN TRANSACTION;
-- Dish projects: a menu and the times it is served; a project with several
-- service periods has one row for each.
CREATE TABLE dishproject (
  ProjectID char(2) NOT NULL,
  TimeNo int NOT NULL,
  ProjectName varchar(20) NOT NULL,
  BeginTime char(5) NULL,
  EndTime char(5) NULL,
  PRIMARY KEY (ProjectID, TimeNo)
);

-- Floor plan: areas (an area without project takes every menu) and rooms.
CREATE TABLE Area (
  AreaNo varchar(4) NOT NULL PRIMARY KEY,
  AreaName varchar(20) NOT NULL,
  ProjectID char(2) NULL
);

CREATE TABLE Room (
  RoomNo varchar(6) NOT NULL PRIMARY KEY,
  RoomName varchar(30) NOT NULL,
  AreaNo varchar(4) NOT NULL,
  Seats int NULL
);

-- Menu: product types, categories, the dishes of each project and their units.
CREATE TABLE prodtype (
  ProdTypeNo varchar(4) NOT NULL PRIMARY KEY,
  ProdTypeName varchar(20) NOT NULL,
  PShowOrder int NOT NULL
);

CREATE TABLE category (
  CateNo varchar(4) NOT NULL PRIMARY KEY,
  CateName varchar(20) NOT NULL,
  CShowOrder int NOT NULL
);

CREATE TABLE Dishlist (
  ProjectID char(2) NOT NULL,
  DishNo varchar(10) NOT NULL,
  DishName varchar(40) NOT NULL,
  CustomDishNo varchar(10) NULL,
  dishSpell varchar(20) NULL,
  ProdTypeNo varchar(4) NOT NULL,
  ProdTypeName varchar(20) NOT NULL,
  CateNo varchar(4) NOT NULL,
  CateName varchar(20) NOT NULL,
  IFSelfSelect bit NOT NULL DEFAULT 0,
  IFUrgent bit NOT NULL DEFAULT 0,
  IFUse bit NOT NULL DEFAULT 0,
  PRIMARY KEY (ProjectID, DishNo)
);

CREATE TABLE DishPrice (
  ProjectID char(2) NOT NULL,
  DishNo varchar(10) NOT NULL,
  DishUnit varchar(8) NOT NULL,
  UnitSequence int NOT NULL,
  Price money NOT NULL,
  MemberPrice money NULL,
  PRIMARY KEY (ProjectID, DishNo, DishUnit)
);

-- Dishes sold in limited numbers, by unit.
CREATE TABLE LimitSale (
  ProjectID char(2) NOT NULL,
  DishNo varchar(10) NOT NULL,
  DishUnit varchar(8) NOT NULL,
  DishCount int NOT NULL,
  PRIMARY KEY (ProjectID, DishNo, DishUnit)
);

-- Cooking methods, and those a dish offers.
CREATE TABLE MakeMode (
  MakeModeNo varchar(4) NOT NULL PRIMARY KEY,
  MakeModeName varchar(20) NOT NULL,
  AddPrice money NULL
);

CREATE TABLE MakeMode_dish (
  DishNo varchar(10) NOT NULL,
  MakeModeNo varchar(4) NOT NULL,
  MakeModeName varchar(20) NOT NULL,
  PRIMARY KEY (DishNo, MakeModeNo)
);

-- Condiments and extras, and those a dish offers.
CREATE TABLE catsup (
  CatsupNo varchar(4) NOT NULL PRIMARY KEY,
  CatsupName varchar(20) NOT NULL,
  CatsupPrice money NULL
);

CREATE TABLE catsup_dish (
  DishNo varchar(10) NOT NULL,
  CatsupNo varchar(4) NOT NULL,
  CatsupName varchar(20) NOT NULL,
  PRIMARY KEY (DishNo, CatsupNo)
);

-- Guests' requests, and those a dish offers.
CREATE TABLE Request (
  RequestNo varchar(4) NOT NULL PRIMARY KEY,
  RequestName varchar(30) NOT NULL,
  UpdateTime datetime NULL
);

CREATE TABLE Request_dish (
  DishNo varchar(10) NOT NULL,
  RequestNo varchar(4) NOT NULL,
  RequestName varchar(30) NOT NULL,
  PRIMARY KEY (DishNo, RequestNo)
);

-- Materials a market-price dish is made of.
CREATE TABLE MaterialType (
  MTNo varchar(4) NOT NULL PRIMARY KEY,
  MTName varchar(20) NOT NULL
);

CREATE TABLE MaterialDetail (
  MDNo varchar(6) NOT NULL PRIMARY KEY,
  MDName varchar(30) NOT NULL,
  MTNo varchar(4) NOT NULL,
  LossRate float NULL
);

-- Units a waiter can pick.
CREATE TABLE PCUnit (
  PCUnitNo int NOT NULL PRIMARY KEY,
  PCUnitName varchar(8) NOT NULL
);

-- Preparations, with the name printed on bilingual kitchen tickets.
CREATE TABLE Facture (
  FNo varchar(4) NOT NULL PRIMARY KEY,
  FName varchar(20) NOT NULL,
  OName varchar(40) NULL
);

-- Set meals on three levels: the set, its courses, the dishes of a course.
CREATE TABLE Snack_1 (
  SnackNo1 varchar(4) NOT NULL PRIMARY KEY,
  SnackName1 varchar(40) NOT NULL,
  SumMoney1 money NULL
);

CREATE TABLE Snack_2 (
  SnackNo2 varchar(6) NOT NULL PRIMARY KEY,
  SnackNo1 varchar(4) NOT NULL,
  SnackName2 varchar(40) NOT NULL,
  SumMoney2 money NULL
);

CREATE TABLE Snack_3 (
  SnackNo2 varchar(6) NOT NULL,
  SnackNo3 varchar(10) NOT NULL,
  SnackName3 varchar(40) NOT NULL,
  SnackUnit3 varchar(8) NULL,
  SnackPrice3 money NULL,
  SnackCount3 decimal(6,1) NULL,
  PRIMARY KEY (SnackNo2, SnackNo3)
);

-- How a dish is called to the kitchen.
CREATE TABLE calldish (
  CallNo int NOT NULL PRIMARY KEY,
  CallDishType varchar(10) NOT NULL
);

-- The dish master list with weighed dishes, and its units per project.
CREATE TABLE DishMaster (
  DishNo varchar(10) NOT NULL PRIMARY KEY,
  DishName varchar(40) NOT NULL,
  dishspell varchar(20) NULL,
  CateName varchar(20) NULL,
  IfWeigh bit NOT NULL DEFAULT 0
);

CREATE TABLE DishDetail (
  ProjectID char(2) NOT NULL,
  DishNo varchar(10) NOT NULL,
  DishUnit varchar(8) NOT NULL,
  Price money NULL,
  PRIMARY KEY (ProjectID, DishNo, DishUnit)
);

-- Kitchen positions that produce the dishes.
CREATE TABLE ProdPosition (
  PositionNo int NOT NULL PRIMARY KEY,
  PositionName nvarchar(20) NOT NULL
);

-- Names of the handhelds by address.
CREATE TABLE tblMacName (
  IPAddress char(15) NOT NULL PRIMARY KEY,
  MacAliasName nvarchar(20) NULL,
  LastLogin datetime NULL
);

-- Data

INSERT INTO dishproject (ProjectID, TimeNo, ProjectName, BeginTime, EndTime) VALUES ('01', 1, '正餐菜谱', '11:00', '14:00');
INSERT INTO dishproject (ProjectID, TimeNo, ProjectName, BeginTime, EndTime) VALUES ('01', 2, '正餐菜谱', '17:00', '21:30');
INSERT INTO dishproject (ProjectID, TimeNo, ProjectName, BeginTime, EndTime) VALUES ('02', 1, '早茶点心', '07:00', '11:00');
INSERT INTO dishproject (ProjectID, TimeNo, ProjectName, BeginTime, EndTime) VALUES ('03', 1, '宴会菜谱', NULL, NULL);

INSERT INTO Area (AreaNo, AreaName, ProjectID) VALUES ('01', '大厅', '01');
INSERT INTO Area (AreaNo, AreaName, ProjectID) VALUES ('02', '包厢', '01');
INSERT INTO Area (AreaNo, AreaName, ProjectID) VALUES ('03', '早茶厅', '02');
INSERT INTO Area (AreaNo, AreaName, ProjectID) VALUES ('04', '宴会厅', '03');
INSERT INTO Area (AreaNo, AreaName, ProjectID) VALUES ('05', '外卖', NULL);

INSERT INTO Room (RoomNo, RoomName, AreaNo, Seats) VALUES ('A01', '大厅1号台', '01', 4);
INSERT INTO Room (RoomNo, RoomName, AreaNo, Seats) VALUES ('A02', '大厅2号台', '01', 4);
INSERT INTO Room (RoomNo, RoomName, AreaNo, Seats) VALUES ('A03', '大厅3号台', '01', 6);
INSERT INTO Room (RoomNo, RoomName, AreaNo, Seats) VALUES ('A04', '大厅4号台', '01', 6);
INSERT INTO Room (RoomNo, RoomName, AreaNo, Seats) VALUES ('A05', '大厅5号台', '01', 8);
INSERT INTO Room (RoomNo, RoomName, AreaNo, Seats) VALUES ('A06', '大厅6号台', '01', 10);
INSERT INTO Room (RoomNo, RoomName, AreaNo, Seats) VALUES ('B01', '牡丹厅', '02', 12);
INSERT INTO Room (RoomNo, RoomName, AreaNo, Seats) VALUES ('B02', '芙蓉厅', '02', 10);
INSERT INTO Room (RoomNo, RoomName, AreaNo, Seats) VALUES ('B03', '玫瑰厅', '02', 10);
INSERT INTO Room (RoomNo, RoomName, AreaNo, Seats) VALUES ('B04', '兰亭·雅阁', '02', 16);
INSERT INTO Room (RoomNo, RoomName, AreaNo, Seats) VALUES ('C01', '早茶1号', '03', 4);
INSERT INTO Room (RoomNo, RoomName, AreaNo, Seats) VALUES ('C02', '早茶2号', '03', 4);
INSERT INTO Room (RoomNo, RoomName, AreaNo, Seats) VALUES ('C03', '早茶3号', '03', 6);
INSERT INTO Room (RoomNo, RoomName, AreaNo, Seats) VALUES ('C04', '早茶4号', '03', 8);
INSERT INTO Room (RoomNo, RoomName, AreaNo, Seats) VALUES ('D01', '宴会厅东区', '04', 120);
INSERT INTO Room (RoomNo, RoomName, AreaNo, Seats) VALUES ('D02', '宴会厅西区', '04', 100);
INSERT INTO Room (RoomNo, RoomName, AreaNo, Seats) VALUES ('W01', '外卖自取', '05', NULL);
INSERT INTO Room (RoomNo, RoomName, AreaNo, Seats) VALUES ('W02', '外卖配送', '05', NULL);

INSERT INTO prodtype (ProdTypeNo, ProdTypeName, PShowOrder) VALUES ('1', '热菜', 1);
INSERT INTO prodtype (ProdTypeNo, ProdTypeName, PShowOrder) VALUES ('2', '凉菜', 2);
INSERT INTO prodtype (ProdTypeNo, ProdTypeName, PShowOrder) VALUES ('3', '海鲜', 3);
INSERT INTO prodtype (ProdTypeNo, ProdTypeName, PShowOrder) VALUES ('4', '汤羹', 4);
INSERT INTO prodtype (ProdTypeNo, ProdTypeName, PShowOrder) VALUES ('5', '主食', 5);
INSERT INTO prodtype (ProdTypeNo, ProdTypeName, PShowOrder) VALUES ('6', '酒水', 6);
INSERT INTO prodtype (ProdTypeNo, ProdTypeName, PShowOrder) VALUES ('7', '早茶点心', 7);

INSERT INTO category (CateNo, CateName, CShowOrder) VALUES ('01', '川菜', 1);
INSERT INTO category (CateNo, CateName, CShowOrder) VALUES ('02', '粤菜', 2);
INSERT INTO category (CateNo, CateName, CShowOrder) VALUES ('03', '湘菜', 3);
INSERT INTO category (CateNo, CateName, CShowOrder) VALUES ('04', '特色菜', 4);
INSERT INTO category (CateNo, CateName, CShowOrder) VALUES ('19', '时令菜', 6);
INSERT INTO category (CateNo, CateName, CShowOrder) VALUES ('07', '凉拌', 7);
INSERT INTO category (CateNo, CateName, CShowOrder) VALUES ('08', '卤味', 8);
INSERT INTO category (CateNo, CateName, CShowOrder) VALUES ('05', '海鲜池', 5);
INSERT INTO category (CateNo, CateName, CShowOrder) VALUES ('09', '炖汤', 9);
INSERT INTO category (CateNo, CateName, CShowOrder) VALUES ('10', '米饭面食', 10);
INSERT INTO category (CateNo, CateName, CShowOrder) VALUES ('17', '甜品', 17);
INSERT INTO category (CateNo, CateName, CShowOrder) VALUES ('11', '酒水饮料', 11);
INSERT INTO category (CateNo, CateName, CShowOrder) VALUES ('12', '蒸点', 12);
INSERT INTO category (CateNo, CateName, CShowOrder) VALUES ('13', '煎炸', 13);
INSERT INTO category (CateNo, CateName, CShowOrder) VALUES ('14', '粥品', 14);
INSERT INTO category (CateNo, CateName, CShowOrder) VALUES ('16', '腸粉', 16);
INSERT INTO category (CateNo, CateName, CShowOrder) VALUES ('15', '茶位', 15);

INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('01', '010101', '宫保鸡丁', '101', 'GBJD', '1', '热菜', '01', '川菜', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('01', '010102', '鱼香肉丝', '102', 'YXRS', '1', '热菜', '01', '川菜', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('01', '010103', '麻婆豆腐', '103', 'MPDF', '1', '热菜', '01', '川菜', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('01', '010104', '水煮鱼', '104', 'SZY', '1', '热菜', '01', '川菜', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('01', '010105', '回锅肉', '105', 'HGR', '1', '热菜', '01', '川菜', 0, 0, 1);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('01', '010201', '白切鸡', '201', 'BQJ', '1', '热菜', '02', '粤菜', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('01', '010202', '蜜汁叉烧', '202', 'MZCS', '1', '热菜', '02', '粤菜', 0, 1, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('01', '010203', '豉汁蒸排骨', '203', 'CZZPG', '1', '热菜', '02', '粤菜', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('01', '010204', '咕噜肉', '204', 'GLR', '1', '热菜', '02', '粤菜', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('01', '010301', '剁椒鱼头', '301', 'DJYT', '1', '热菜', '03', '湘菜', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('01', '010302', '小炒黄牛肉', '302', 'XCHNR', '1', '热菜', '03', '湘菜', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('01', '010303', '农家小炒肉', '303', 'NJXCR', '1', '热菜', '03', '湘菜', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('01', '010401', '番茄炒蛋', '401', 'FQCD', '1', '热菜', '04', '特色菜', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('01', '010402', '鸳鸯锅<麻辣&清汤>', '402', 'YYG', '1', '热菜', '04', '特色菜', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('01', '010403', '东坡肉·古法', '403', 'DPR', '1', '热菜', '04', '特色菜', 0, 1, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('01', '010404', '干锅花菜', NULL, 'GGHC', '1', '热菜', '04', '特色菜', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('01', '011901', '清炒豌豆尖', NULL, 'QCWDJ', '1', '热菜', '19', '时令菜', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('01', '011902', '香椿炒蛋', '1902', 'XCCD', '1', '热菜', '19', '时令菜', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('01', '011903', '凉拌香椿', '1903', 'LBXC', '2', '凉菜', '19', '时令菜', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('01', '010701', '夫妻肺片', '701', 'FQFP', '2', '凉菜', '07', '凉拌', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('01', '010702', '口水鸡', '702', 'KSJ', '2', '凉菜', '07', '凉拌', 0, 1, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('01', '010703', '拍黄瓜', '703', 'PHG', '2', '凉菜', '07', '凉拌', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('01', '010801', '卤水拼盘', '801', 'LSPP', '2', '凉菜', '08', '卤味', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('01', '010802', '卤鸭舌', '802', NULL, '2', '凉菜', '08', '卤味', 0, 0, 1);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('01', '010501', '清蒸鲈鱼', '501', 'QZLY', '3', '海鲜', '05', '海鲜池', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('01', '010502', '白灼基围虾', '502', 'BZJWX', '3', '海鲜', '05', '海鲜池', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('01', '010503', '避风塘炒蟹', '503', 'BFTCX', '3', '海鲜', '05', '海鲜池', 0, 0, 1);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('01', '010504', '蒜蓉粉丝蒸扇贝', '504', 'SRFSZSB', '3', '海鲜', '05', '海鲜池', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('01', '010599', '时价海鲜', '599', 'SJHX', '3', '海鲜', '05', '海鲜池', 1, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('01', '010901', '老火靓汤', '901', 'LHLT', '4', '汤羹', '09', '炖汤', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('01', '010902', '酸辣汤', '902', 'SLT', '4', '汤羹', '09', '炖汤', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('01', '011001', '扬州炒饭', '1001', 'YZCF', '5', '主食', '10', '米饭面食', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('01', '011002', '𰻞𰻞面', '1002', 'BBM', '5', '主食', '10', '米饭面食', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('01', '011003', '白米饭', '1003', 'BMF', '5', '主食', '10', '米饭面食', 0, 1, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('01', '011004', '手工水饺', '1004', 'SGSJ', '5', '主食', '10', '米饭面食', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('01', '011101', '纯生啤酒', '1101', 'CSPJ', '6', '酒水', '11', '酒水饮料', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('01', '011102', '鲜榨橙汁', '1102', 'XZCZ', '6', '酒水', '11', '酒水饮料', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('01', '011103', '可乐', '1103', 'KL', '6', '酒水', '11', '酒水饮料', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('01', '011199', '自带酒水开瓶费', '1199', 'ZDJSKPF', '6', '酒水', '11', '酒水饮料', 1, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('02', '021201', '蝦餃皇', '1201', 'XJH', '7', '早茶点心', '12', '蒸点', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('02', '021202', '燒賣', '1202', 'SM', '7', '早茶点心', '12', '蒸点', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('02', '021203', '叉燒包', '1203', 'CSB', '7', '早茶点心', '12', '蒸点', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('02', '021204', '豉汁鳳爪', '1204', 'CZFZ', '7', '早茶点心', '12', '蒸点', 0, 0, 1);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('02', '021205', '流沙包', '1205', 'LSB', '7', '早茶点心', '12', '蒸点', 0, 1, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('02', '021301', '煎饺', '1301', 'JJ', '7', '早茶点心', '13', '煎炸', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('02', '021302', '春卷', '1302', 'CJ', '7', '早茶点心', '13', '煎炸', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('02', '021303', '萝卜糕', NULL, 'LBG', '7', '早茶点心', '13', '煎炸', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('02', '021401', '皮蛋瘦肉粥', '1401', 'PDSRZ', '7', '早茶点心', '14', '粥品', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('02', '021402', '艇仔粥', '1402', 'TZZ', '7', '早茶点心', '14', '粥品', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('02', '021601', '鲜虾腸粉', '1601', 'XXCF', '7', '早茶点心', '16', '腸粉', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('02', '021602', '叉燒腸粉', '1602', 'CSCF', '7', '早茶点心', '16', '腸粉', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('02', '021603', '斋腸粉', '1603', 'ZCF', '7', '早茶点心', '16', '腸粉', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('02', '021501', '茶位', '1501', 'CW', '7', '早茶点心', '15', '茶位', 0, 1, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('02', '021502', '普洱', '1502', 'PE', '7', '早茶点心', '15', '茶位', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('02', '011003', '白米饭', '1003', 'BMF', '5', '主食', '10', '米饭面食', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('02', '011102', '鲜榨橙汁', '1102', 'XZCZ', '6', '酒水', '11', '酒水饮料', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('03', '030101', '鸿运乳猪全体', '3101', 'HYRZ', '1', '热菜', '02', '粤菜', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('03', '030102', '鲍汁扣海参', '3102', 'BZKHS', '1', '热菜', '02', '粤菜', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('03', '030104', '发财好市', '3104', 'FCHS', '1', '热菜', '04', '特色菜', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('03', '010201', '白切鸡', '201', 'BQJ', '1', '热菜', '02', '粤菜', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('03', '010801', '卤水拼盘', '801', 'LSPP', '2', '凉菜', '08', '卤味', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('03', '030103', 'XO酱爆龙虾球', '3103', 'XOJBLXQ', '3', '海鲜', '05', '海鲜池', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('03', '010599', '时价海鲜', '599', 'SJHX', '3', '海鲜', '05', '海鲜池', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('03', '010901', '老火靓汤', '901', 'LHLT', '4', '汤羹', '09', '炖汤', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('03', '011001', '扬州炒饭', '1001', 'YZCF', '5', '主食', '10', '米饭面食', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('03', '030105', '百年好合', '3105', 'BNHH', '5', '主食', '17', '甜品', 0, 0, 0);
INSERT INTO Dishlist (ProjectID, DishNo, DishName, CustomDishNo, dishSpell, ProdTypeNo, ProdTypeName, CateNo, CateName, IFSelfSelect, IFUrgent, IFUse) VALUES ('03', '011101', '纯生啤酒', '1101', 'CSPJ', '6', '酒水', '11', '酒水饮料', 0, 0, 0);

INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '010101', '例', 1, 38, 34);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '010102', '例', 1, 32, 29);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '010103', '例', 1, 22, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '010103', '中', 2, 32, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '010103', '大', 3, 42, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '010104', '中', 1, 68, 62);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '010104', '大', 2, 98, 88);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '010105', '例', 1, 36, 32);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '010201', '半只', 1, 58, 52);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '010201', '一只', 2, 108, 98);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '010202', '例', 1, 48, 43.5);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '010203', '例', 1, 42, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '010204', '例', 1, 38, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '010301', '例', 1, 88, 79.9);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '010302', '例', 1, 58, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '010303', '例', 1, 42, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '010401', '例', 1, 22, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '010402', '锅', 1, 88, 80);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '010403', '例', 1, 58, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '010404', '例', 1, 28, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '011901', '例', 1, 26, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '011902', '例', 1, 32, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '011903', '例', 1, 26, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '010701', '例', 1, 38, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '010702', '例', 1, 36, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '010703', '例', 1, 16, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '010801', '小', 1, 48, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '010801', '大', 2, 78, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '010802', '例', 1, 42, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '010501', '斤', 1, 68, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '010502', '斤', 1, 128, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '010503', '只', 1, 168, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '010504', '只', 1, 18, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '010504', '打', 2, 198, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '010599', '斤', 1, 0, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '010901', '位', 1, 28, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '010901', '例', 2, 68, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '010902', '例', 1, 26, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '010902', '中', 2, 36, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '010902', '大', 3, 46, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '011001', '例', 1, 28, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '011002', '碗', 1, 26, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '011003', '碗', 1, 2, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '011004', '份', 1, 26, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '011101', '瓶', 1, 12, 10);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '011101', '打', 2, 120, 100);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '011102', '杯', 1, 18, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '011102', '扎', 2, 58, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '011103', '听', 1, 8, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('01', '011199', '瓶', 1, 20, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('02', '021201', '笼', 1, 28, 25);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('02', '021202', '笼', 1, 22, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('02', '021203', '笼', 1, 18, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('02', '021204', '例', 1, 18, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('02', '021205', '笼', 1, 20, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('02', '021301', '份', 1, 18, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('02', '021302', '份', 1, 16, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('02', '021303', '份', 1, 16, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('02', '021401', '碗', 1, 12, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('02', '021401', '煲', 2, 38, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('02', '021402', '碗', 1, 14, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('02', '021601', '份', 1, 22, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('02', '021602', '份', 1, 18, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('02', '021603', '份', 1, 12, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('02', '021501', '位', 1, 5, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('02', '021502', '壶', 1, 18, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('02', '021502', '位', 2, 6, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('02', '011003', '碗', 1, 2, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('02', '011102', '杯', 1, 16, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('03', '030101', '只', 1, 888, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('03', '030102', '位', 1, 98, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('03', '030104', '例', 1, 168, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('03', '010201', '一只', 1, 128, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('03', '010801', '大', 1, 88, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('03', '030103', '例', 1, 288, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('03', '010599', '斤', 1, 0, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('03', '010901', '例', 1, 88, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('03', '011001', '大', 1, 48, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('03', '030105', '例', 1, 48, NULL);
INSERT INTO DishPrice (ProjectID, DishNo, DishUnit, UnitSequence, Price, MemberPrice) VALUES ('03', '011101', '瓶', 1, 15, NULL);

INSERT INTO LimitSale (ProjectID, DishNo, DishUnit, DishCount) VALUES ('01', '010301', '例', 10);
INSERT INTO LimitSale (ProjectID, DishNo, DishUnit, DishCount) VALUES ('01', '010201', '一只', 6);
INSERT INTO LimitSale (ProjectID, DishNo, DishUnit, DishCount) VALUES ('01', '011902', '例', 8);
INSERT INTO LimitSale (ProjectID, DishNo, DishUnit, DishCount) VALUES ('01', '010104', '特大', 3);
INSERT INTO LimitSale (ProjectID, DishNo, DishUnit, DishCount) VALUES ('02', '021201', '笼', 30);
INSERT INTO LimitSale (ProjectID, DishNo, DishUnit, DishCount) VALUES ('02', '021205', '笼', 20);

INSERT INTO MakeMode (MakeModeNo, MakeModeName, AddPrice) VALUES ('01', '清蒸', NULL);
INSERT INTO MakeMode (MakeModeNo, MakeModeName, AddPrice) VALUES ('02', '红烧', 5);
INSERT INTO MakeMode (MakeModeNo, MakeModeName, AddPrice) VALUES ('03', '椒盐', 5);
INSERT INTO MakeMode (MakeModeNo, MakeModeName, AddPrice) VALUES ('04', '豉汁', 3);
INSERT INTO MakeMode (MakeModeNo, MakeModeName, AddPrice) VALUES ('05', '姜葱', 3);
INSERT INTO MakeMode (MakeModeNo, MakeModeName, AddPrice) VALUES ('06', '油泡', 5);
INSERT INTO MakeMode (MakeModeNo, MakeModeName, AddPrice) VALUES ('07', '白灼', NULL);
INSERT INTO MakeMode (MakeModeNo, MakeModeName, AddPrice) VALUES ('08', '避风塘', 10);
INSERT INTO MakeMode (MakeModeNo, MakeModeName, AddPrice) VALUES ('09', '干煸', 5);
INSERT INTO MakeMode (MakeModeNo, MakeModeName, AddPrice) VALUES ('10', '水煮', 5);
INSERT INTO MakeMode (MakeModeNo, MakeModeName, AddPrice) VALUES ('11', '蒜蓉', 3);

INSERT INTO MakeMode_dish (DishNo, MakeModeNo, MakeModeName) VALUES ('010104', '09', '干煸');
INSERT INTO MakeMode_dish (DishNo, MakeModeNo, MakeModeName) VALUES ('010104', '10', '水煮');
INSERT INTO MakeMode_dish (DishNo, MakeModeNo, MakeModeName) VALUES ('010501', '01', '清蒸');
INSERT INTO MakeMode_dish (DishNo, MakeModeNo, MakeModeName) VALUES ('010501', '02', '红烧');
INSERT INTO MakeMode_dish (DishNo, MakeModeNo, MakeModeName) VALUES ('010501', '04', '豉汁');
INSERT INTO MakeMode_dish (DishNo, MakeModeNo, MakeModeName) VALUES ('010501', '05', '姜葱');
INSERT INTO MakeMode_dish (DishNo, MakeModeNo, MakeModeName) VALUES ('010502', '03', '椒盐');
INSERT INTO MakeMode_dish (DishNo, MakeModeNo, MakeModeName) VALUES ('010502', '07', '白灼');
INSERT INTO MakeMode_dish (DishNo, MakeModeNo, MakeModeName) VALUES ('010503', '03', '椒盐');
INSERT INTO MakeMode_dish (DishNo, MakeModeNo, MakeModeName) VALUES ('010503', '05', '姜葱');
INSERT INTO MakeMode_dish (DishNo, MakeModeNo, MakeModeName) VALUES ('010503', '08', '避风塘');
INSERT INTO MakeMode_dish (DishNo, MakeModeNo, MakeModeName) VALUES ('010504', '04', '豉汁');
INSERT INTO MakeMode_dish (DishNo, MakeModeNo, MakeModeName) VALUES ('010504', '11', '蒜蓉');
INSERT INTO MakeMode_dish (DishNo, MakeModeNo, MakeModeName) VALUES ('010599', '01', '清蒸');
INSERT INTO MakeMode_dish (DishNo, MakeModeNo, MakeModeName) VALUES ('010599', '02', '红烧');
INSERT INTO MakeMode_dish (DishNo, MakeModeNo, MakeModeName) VALUES ('010599', '03', '椒盐');
INSERT INTO MakeMode_dish (DishNo, MakeModeNo, MakeModeName) VALUES ('010599', '05', '姜葱');
INSERT INTO MakeMode_dish (DishNo, MakeModeNo, MakeModeName) VALUES ('010599', '06', '油泡');
INSERT INTO MakeMode_dish (DishNo, MakeModeNo, MakeModeName) VALUES ('010599', '07', '白灼');
INSERT INTO MakeMode_dish (DishNo, MakeModeNo, MakeModeName) VALUES ('010599', '11', '蒜蓉');

INSERT INTO catsup (CatsupNo, CatsupName, CatsupPrice) VALUES ('01', '加饭', 2);
INSERT INTO catsup (CatsupNo, CatsupName, CatsupPrice) VALUES ('02', '加面', 3);
INSERT INTO catsup (CatsupNo, CatsupName, CatsupPrice) VALUES ('03', '加蛋', 2);
INSERT INTO catsup (CatsupNo, CatsupName, CatsupPrice) VALUES ('04', '加肠', 4);
INSERT INTO catsup (CatsupNo, CatsupName, CatsupPrice) VALUES ('05', '加辣', 0);
INSERT INTO catsup (CatsupNo, CatsupName, CatsupPrice) VALUES ('06', '加芝士', 5);
INSERT INTO catsup (CatsupNo, CatsupName, CatsupPrice) VALUES ('07', '加青菜', 3);
INSERT INTO catsup (CatsupNo, CatsupName, CatsupPrice) VALUES ('08', '加豆腐', 3);
INSERT INTO catsup (CatsupNo, CatsupName, CatsupPrice) VALUES ('09', '加粉丝', 3);
INSERT INTO catsup (CatsupNo, CatsupName, CatsupPrice) VALUES ('10', '加年糕', 4);
INSERT INTO catsup (CatsupNo, CatsupName, CatsupPrice) VALUES ('11', '加腊肠&鸡蛋', 6);
INSERT INTO catsup (CatsupNo, CatsupName, CatsupPrice) VALUES ('12', '加量<双份>', 8);

INSERT INTO catsup_dish (DishNo, CatsupNo, CatsupName) VALUES ('010104', '08', '加豆腐');
INSERT INTO catsup_dish (DishNo, CatsupNo, CatsupName) VALUES ('010104', '09', '加粉丝');
INSERT INTO catsup_dish (DishNo, CatsupNo, CatsupName) VALUES ('010104', '10', '加年糕');
INSERT INTO catsup_dish (DishNo, CatsupNo, CatsupName) VALUES ('010402', '07', '加青菜');
INSERT INTO catsup_dish (DishNo, CatsupNo, CatsupName) VALUES ('010402', '08', '加豆腐');
INSERT INTO catsup_dish (DishNo, CatsupNo, CatsupName) VALUES ('010402', '09', '加粉丝');
INSERT INTO catsup_dish (DishNo, CatsupNo, CatsupName) VALUES ('010402', '10', '加年糕');
INSERT INTO catsup_dish (DishNo, CatsupNo, CatsupName) VALUES ('010402', '12', '加量<双份>');
INSERT INTO catsup_dish (DishNo, CatsupNo, CatsupName) VALUES ('011001', '03', '加蛋');
INSERT INTO catsup_dish (DishNo, CatsupNo, CatsupName) VALUES ('011001', '04', '加肠');
INSERT INTO catsup_dish (DishNo, CatsupNo, CatsupName) VALUES ('011001', '11', '加腊肠&鸡蛋');
INSERT INTO catsup_dish (DishNo, CatsupNo, CatsupName) VALUES ('011002', '02', '加面');
INSERT INTO catsup_dish (DishNo, CatsupNo, CatsupName) VALUES ('011002', '03', '加蛋');
INSERT INTO catsup_dish (DishNo, CatsupNo, CatsupName) VALUES ('011002', '05', '加辣');
INSERT INTO catsup_dish (DishNo, CatsupNo, CatsupName) VALUES ('011002', '07', '加青菜');
INSERT INTO catsup_dish (DishNo, CatsupNo, CatsupName) VALUES ('021401', '03', '加蛋');

INSERT INTO Request (RequestNo, RequestName, UpdateTime) VALUES ('01', '少辣', '2023-03-01T09:00:00');
INSERT INTO Request (RequestNo, RequestName, UpdateTime) VALUES ('02', '多辣', '2023-03-01T09:00:00');
INSERT INTO Request (RequestNo, RequestName, UpdateTime) VALUES ('03', '不要辣', '2023-03-01T09:00:00');
INSERT INTO Request (RequestNo, RequestName, UpdateTime) VALUES ('04', '少盐', '2023-03-01T09:00:00');
INSERT INTO Request (RequestNo, RequestName, UpdateTime) VALUES ('05', '不要味精', '2023-03-01T09:00:00');
INSERT INTO Request (RequestNo, RequestName, UpdateTime) VALUES ('06', '不要"香菜"', '2023-04-12T15:30:00');
INSERT INTO Request (RequestNo, RequestName, UpdateTime) VALUES ('07', '不要葱蒜', '2023-03-01T09:00:00');
INSERT INTO Request (RequestNo, RequestName, UpdateTime) VALUES ('08', '走冰', '2023-06-01T00:00:00');
INSERT INTO Request (RequestNo, RequestName, UpdateTime) VALUES ('09', '少糖', '2023-06-01T00:00:00');
INSERT INTO Request (RequestNo, RequestName, UpdateTime) VALUES ('10', '加急', NULL);
INSERT INTO Request (RequestNo, RequestName, UpdateTime) VALUES ('11', '打包', NULL);
INSERT INTO Request (RequestNo, RequestName, UpdateTime) VALUES ('12', '汤&菜分开上', '2024-01-08T11:45:20');

INSERT INTO Request_dish (DishNo, RequestNo, RequestName) VALUES ('010101', '01', '少辣');
INSERT INTO Request_dish (DishNo, RequestNo, RequestName) VALUES ('010101', '02', '多辣');
INSERT INTO Request_dish (DishNo, RequestNo, RequestName) VALUES ('010101', '03', '不要辣');
INSERT INTO Request_dish (DishNo, RequestNo, RequestName) VALUES ('010101', '06', '不要"香菜"');
INSERT INTO Request_dish (DishNo, RequestNo, RequestName) VALUES ('010104', '01', '少辣');
INSERT INTO Request_dish (DishNo, RequestNo, RequestName) VALUES ('010104', '02', '多辣');
INSERT INTO Request_dish (DishNo, RequestNo, RequestName) VALUES ('010104', '03', '不要辣');
INSERT INTO Request_dish (DishNo, RequestNo, RequestName) VALUES ('010202', '11', '打包');
INSERT INTO Request_dish (DishNo, RequestNo, RequestName) VALUES ('010402', '01', '少辣');
INSERT INTO Request_dish (DishNo, RequestNo, RequestName) VALUES ('010402', '02', '多辣');
INSERT INTO Request_dish (DishNo, RequestNo, RequestName) VALUES ('010402', '06', '不要"香菜"');
INSERT INTO Request_dish (DishNo, RequestNo, RequestName) VALUES ('010402', '12', '汤&菜分开上');
INSERT INTO Request_dish (DishNo, RequestNo, RequestName) VALUES ('011002', '01', '少辣');
INSERT INTO Request_dish (DishNo, RequestNo, RequestName) VALUES ('011002', '02', '多辣');
INSERT INTO Request_dish (DishNo, RequestNo, RequestName) VALUES ('011002', '06', '不要"香菜"');
INSERT INTO Request_dish (DishNo, RequestNo, RequestName) VALUES ('011002', '07', '不要葱蒜');
INSERT INTO Request_dish (DishNo, RequestNo, RequestName) VALUES ('011102', '08', '走冰');
INSERT INTO Request_dish (DishNo, RequestNo, RequestName) VALUES ('011102', '09', '少糖');
INSERT INTO Request_dish (DishNo, RequestNo, RequestName) VALUES ('021402', '04', '少盐');
INSERT INTO Request_dish (DishNo, RequestNo, RequestName) VALUES ('021402', '06', '不要"香菜"');

INSERT INTO MaterialType (MTNo, MTName) VALUES ('01', '海鲜类');
INSERT INTO MaterialType (MTNo, MTName) VALUES ('02', '肉类');
INSERT INTO MaterialType (MTNo, MTName) VALUES ('03', '蔬菜类');
INSERT INTO MaterialType (MTNo, MTName) VALUES ('04', '酒水类');

INSERT INTO MaterialDetail (MDNo, MDName, MTNo, LossRate) VALUES ('0101', '龙虾', '01', 0.35);
INSERT INTO MaterialDetail (MDNo, MDName, MTNo, LossRate) VALUES ('0102', '鲍鱼', '01', 0.2);
INSERT INTO MaterialDetail (MDNo, MDName, MTNo, LossRate) VALUES ('0103', '象拔蚌', '01', 0.4);
INSERT INTO MaterialDetail (MDNo, MDName, MTNo, LossRate) VALUES ('0104', '东星斑', '01', 0.45);
INSERT INTO MaterialDetail (MDNo, MDName, MTNo, LossRate) VALUES ('0201', '牛肉', '02', 0.1);
INSERT INTO MaterialDetail (MDNo, MDName, MTNo, LossRate) VALUES ('0202', '猪肉', '02', 0.08);
INSERT INTO MaterialDetail (MDNo, MDName, MTNo, LossRate) VALUES ('0203', '羊肉', '02', 0.12);
INSERT INTO MaterialDetail (MDNo, MDName, MTNo, LossRate) VALUES ('0301', '菜心', '03', 0.25);
INSERT INTO MaterialDetail (MDNo, MDName, MTNo, LossRate) VALUES ('0302', '西兰花', '03', NULL);
INSERT INTO MaterialDetail (MDNo, MDName, MTNo, LossRate) VALUES ('0303', '豌豆尖', '03', 0.3);
INSERT INTO MaterialDetail (MDNo, MDName, MTNo, LossRate) VALUES ('0401', '红酒', '04', NULL);
INSERT INTO MaterialDetail (MDNo, MDName, MTNo, LossRate) VALUES ('0402', '黄酒<五年陈>', '04', NULL);

INSERT INTO PCUnit (PCUnitNo, PCUnitName) VALUES (1, '例');
INSERT INTO PCUnit (PCUnitNo, PCUnitName) VALUES (2, '份');
INSERT INTO PCUnit (PCUnitNo, PCUnitName) VALUES (3, '位');
INSERT INTO PCUnit (PCUnitNo, PCUnitName) VALUES (4, '只');
INSERT INTO PCUnit (PCUnitNo, PCUnitName) VALUES (5, '条');
INSERT INTO PCUnit (PCUnitNo, PCUnitName) VALUES (6, '斤');
INSERT INTO PCUnit (PCUnitNo, PCUnitName) VALUES (7, '两');
INSERT INTO PCUnit (PCUnitNo, PCUnitName) VALUES (8, '碗');
INSERT INTO PCUnit (PCUnitNo, PCUnitName) VALUES (9, '笼');
INSERT INTO PCUnit (PCUnitNo, PCUnitName) VALUES (10, '瓶');
INSERT INTO PCUnit (PCUnitNo, PCUnitName) VALUES (11, '听');
INSERT INTO PCUnit (PCUnitNo, PCUnitName) VALUES (12, '杯');
INSERT INTO PCUnit (PCUnitNo, PCUnitName) VALUES (13, '扎');
INSERT INTO PCUnit (PCUnitNo, PCUnitName) VALUES (14, '壶');
INSERT INTO PCUnit (PCUnitNo, PCUnitName) VALUES (15, '打');
INSERT INTO PCUnit (PCUnitNo, PCUnitName) VALUES (16, '锅');
INSERT INTO PCUnit (PCUnitNo, PCUnitName) VALUES (17, '煲');
INSERT INTO PCUnit (PCUnitNo, PCUnitName) VALUES (18, '半只');
INSERT INTO PCUnit (PCUnitNo, PCUnitName) VALUES (19, '一只');
INSERT INTO PCUnit (PCUnitNo, PCUnitName) VALUES (20, '小');
INSERT INTO PCUnit (PCUnitNo, PCUnitName) VALUES (21, '中');
INSERT INTO PCUnit (PCUnitNo, PCUnitName) VALUES (22, '大');

INSERT INTO Facture (FNo, FName, OName) VALUES ('01', '清蒸', 'Steamed');
INSERT INTO Facture (FNo, FName, OName) VALUES ('02', '红烧', 'Braised <Red>');
INSERT INTO Facture (FNo, FName, OName) VALUES ('03', '干锅', 'Griddle "Dry Pot"');
INSERT INTO Facture (FNo, FName, OName) VALUES ('04', '糖醋', 'Sweet & Sour');
INSERT INTO Facture (FNo, FName, OName) VALUES ('05', '白灼', 'Poached');
INSERT INTO Facture (FNo, FName, OName) VALUES ('06', '椒盐', NULL);
INSERT INTO Facture (FNo, FName, OName) VALUES ('07', '蒜蓉', 'Garlic');
INSERT INTO Facture (FNo, FName, OName) VALUES ('08', '油泡', 'Chef''s Quick-fry');
INSERT INTO Facture (FNo, FName, OName) VALUES ('09', '炭烤', '');

INSERT INTO Snack_1 (SnackNo1, SnackName1, SumMoney1) VALUES ('01', '商务套餐', 68);
INSERT INTO Snack_1 (SnackNo1, SnackName1, SumMoney1) VALUES ('02', '双人套餐(A&B任选)', 168.5);
INSERT INTO Snack_1 (SnackNo1, SnackName1, SumMoney1) VALUES ('03', '儿童套餐', NULL);

INSERT INTO Snack_2 (SnackNo2, SnackNo1, SnackName2, SumMoney2) VALUES ('0101', '01', '主菜(任选一)', NULL);
INSERT INTO Snack_2 (SnackNo2, SnackNo1, SnackName2, SumMoney2) VALUES ('0102', '01', '汤品', NULL);
INSERT INTO Snack_2 (SnackNo2, SnackNo1, SnackName2, SumMoney2) VALUES ('0103', '01', '主食', NULL);
INSERT INTO Snack_2 (SnackNo2, SnackNo1, SnackName2, SumMoney2) VALUES ('0201', '02', 'A餐', 88);
INSERT INTO Snack_2 (SnackNo2, SnackNo1, SnackName2, SumMoney2) VALUES ('0202', '02', 'B餐', 98.8);
INSERT INTO Snack_2 (SnackNo2, SnackNo1, SnackName2, SumMoney2) VALUES ('0301', '03', '儿童餐', 38);

INSERT INTO Snack_3 (SnackNo2, SnackNo3, SnackName3, SnackUnit3, SnackPrice3, SnackCount3) VALUES ('0101', '010101', '宫保鸡丁', '例', 38, 1);
INSERT INTO Snack_3 (SnackNo2, SnackNo3, SnackName3, SnackUnit3, SnackPrice3, SnackCount3) VALUES ('0101', '010102', '鱼香肉丝', '例', 32, 1);
INSERT INTO Snack_3 (SnackNo2, SnackNo3, SnackName3, SnackUnit3, SnackPrice3, SnackCount3) VALUES ('0101', '010401', '番茄炒蛋', '例', 22, 1);
INSERT INTO Snack_3 (SnackNo2, SnackNo3, SnackName3, SnackUnit3, SnackPrice3, SnackCount3) VALUES ('0102', '010902', '酸辣汤', '例', 26, 1);
INSERT INTO Snack_3 (SnackNo2, SnackNo3, SnackName3, SnackUnit3, SnackPrice3, SnackCount3) VALUES ('0103', '011003', '白米饭', '碗', 2, 2);
INSERT INTO Snack_3 (SnackNo2, SnackNo3, SnackName3, SnackUnit3, SnackPrice3, SnackCount3) VALUES ('0201', '010201', '白切鸡', '半只', 58, 1);
INSERT INTO Snack_3 (SnackNo2, SnackNo3, SnackName3, SnackUnit3, SnackPrice3, SnackCount3) VALUES ('0201', '011102', '鲜榨橙汁', '扎', 58, 0.5);
INSERT INTO Snack_3 (SnackNo2, SnackNo3, SnackName3, SnackUnit3, SnackPrice3, SnackCount3) VALUES ('0202', '010501', '清蒸鲈鱼', '斤', 68, 1.5);
INSERT INTO Snack_3 (SnackNo2, SnackNo3, SnackName3, SnackUnit3, SnackPrice3, SnackCount3) VALUES ('0202', '011101', '纯生啤酒', '瓶', 12, 4);
INSERT INTO Snack_3 (SnackNo2, SnackNo3, SnackName3, SnackUnit3, SnackPrice3, SnackCount3) VALUES ('0301', '011001', '扬州炒饭', '例', 28, 1);
INSERT INTO Snack_3 (SnackNo2, SnackNo3, SnackName3, SnackUnit3, SnackPrice3, SnackCount3) VALUES ('0301', '011103', '可乐', '听', 8, NULL);

INSERT INTO calldish (CallNo, CallDishType) VALUES (1, '即起');
INSERT INTO calldish (CallNo, CallDishType) VALUES (2, '叫起');
INSERT INTO calldish (CallNo, CallDishType) VALUES (3, '等叫');
INSERT INTO calldish (CallNo, CallDishType) VALUES (4, '催菜');
INSERT INTO calldish (CallNo, CallDishType) VALUES (5, '起菜');
INSERT INTO calldish (CallNo, CallDishType) VALUES (6, '划单');

INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('010101', '宫保鸡丁', 'GBJD', '川菜', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('010102', '鱼香肉丝', 'YXRS', '川菜', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('010103', '麻婆豆腐', 'MPDF', '川菜', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('010104', '水煮鱼', 'SZY', '川菜', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('010105', '回锅肉', 'HGR', '川菜', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('010201', '白切鸡', 'BQJ', '粤菜', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('010202', '蜜汁叉烧', 'MZCS', '粤菜', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('010203', '豉汁蒸排骨', 'CZZPG', '粤菜', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('010204', '咕噜肉', 'GLR', '粤菜', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('010301', '剁椒鱼头', 'DJYT', '湘菜', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('010302', '小炒黄牛肉', 'XCHNR', '湘菜', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('010303', '农家小炒肉', 'NJXCR', '湘菜', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('010401', '番茄炒蛋', 'FQCD', '特色菜', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('010402', '鸳鸯锅<麻辣&清汤>', 'YYG', '特色菜', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('010403', '东坡肉·古法', 'DPR', '特色菜', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('010404', '干锅花菜', 'GGHC', '特色菜', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('010501', '清蒸鲈鱼', 'QZLY', '海鲜池', 1);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('010502', '白灼基围虾', 'BZJWX', '海鲜池', 1);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('010503', '避风塘炒蟹', 'BFTCX', '海鲜池', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('010504', '蒜蓉粉丝蒸扇贝', 'SRFSZSB', '海鲜池', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('010599', '时价海鲜', 'SJHX', '海鲜池', 1);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('010701', '夫妻肺片', 'FQFP', '凉拌', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('010702', '口水鸡', 'KSJ', '凉拌', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('010703', '拍黄瓜', 'PHG', '凉拌', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('010801', '卤水拼盘', 'LSPP', '卤味', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('010802', '卤鸭舌', NULL, '卤味', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('010901', '老火靓汤', 'LHLT', '炖汤', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('010902', '酸辣汤', 'SLT', '炖汤', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('011001', '扬州炒饭', 'YZCF', '米饭面食', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('011002', '𰻞𰻞面', 'BBM', '米饭面食', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('011003', '白米饭', 'BMF', '米饭面食', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('011004', '手工水饺', 'SGSJ', '米饭面食', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('011101', '纯生啤酒', 'CSPJ', '酒水饮料', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('011102', '鲜榨橙汁', 'XZCZ', '酒水饮料', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('011103', '可乐', 'KL', '酒水饮料', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('011199', '自带酒水开瓶费', 'ZDJSKPF', '酒水饮料', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('011901', '清炒豌豆尖', 'QCWDJ', '时令菜', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('011902', '香椿炒蛋', 'XCCD', '时令菜', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('011903', '凉拌香椿', 'LBXC', '时令菜', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('021201', '蝦餃皇', 'XJH', '蒸点', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('021202', '燒賣', 'SM', '蒸点', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('021203', '叉燒包', 'CSB', '蒸点', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('021204', '豉汁鳳爪', 'CZFZ', '蒸点', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('021205', '流沙包', 'LSB', '蒸点', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('021301', '煎饺', 'JJ', '煎炸', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('021302', '春卷', 'CJ', '煎炸', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('021303', '萝卜糕', 'LBG', '煎炸', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('021401', '皮蛋瘦肉粥', 'PDSRZ', '粥品', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('021402', '艇仔粥', 'TZZ', '粥品', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('021501', '茶位', 'CW', '茶位', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('021502', '普洱', 'PE', '茶位', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('021601', '鲜虾腸粉', 'XXCF', '腸粉', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('021602', '叉燒腸粉', 'CSCF', '腸粉', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('021603', '斋腸粉', 'ZCF', '腸粉', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('030101', '鸿运乳猪全体', 'HYRZ', '粤菜', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('030102', '鲍汁扣海参', 'BZKHS', '粤菜', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('030103', 'XO酱爆龙虾球', 'XOJBLXQ', '海鲜池', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('030104', '发财好市', 'FCHS', '特色菜', 0);
INSERT INTO DishMaster (DishNo, DishName, dishspell, CateName, IfWeigh) VALUES ('030105', '百年好合', 'BNHH', '甜品', 0);

INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '010101', '例', 38);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '010102', '例', 32);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '010103', '例', 22);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '010103', '中', 32);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '010103', '大', 42);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '010104', '中', 68);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '010104', '大', 98);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '010105', '例', 36);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '010201', '半只', 58);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '010201', '一只', 108);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '010202', '例', 48);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '010203', '例', 42);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '010204', '例', 38);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '010301', '例', 88);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '010302', '例', 58);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '010303', '例', 42);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '010401', '例', 22);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '010402', '锅', 88);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '010403', '例', 58);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '010404', '例', 28);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '011901', '例', 26);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '011902', '例', 32);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '011903', '例', 26);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '010701', '例', 38);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '010702', '例', 36);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '010703', '例', 16);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '010801', '小', 48);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '010801', '大', 78);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '010802', '例', 42);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '010501', '斤', 68);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '010502', '斤', 128);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '010503', '只', 168);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '010504', '只', 18);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '010504', '打', 198);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '010599', '斤', 0);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '010901', '位', 28);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '010901', '例', 68);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '010902', '例', 26);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '010902', '中', 36);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '010902', '大', 46);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '011001', '例', 28);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '011002', '碗', 26);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '011003', '碗', 2);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '011004', '份', 26);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '011101', '瓶', 12);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '011101', '打', 120);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '011102', '杯', 18);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '011102', '扎', 58);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '011103', '听', 8);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('01', '011199', '瓶', 20);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('02', '021201', '笼', 28);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('02', '021202', '笼', 22);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('02', '021203', '笼', 18);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('02', '021204', '例', 18);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('02', '021205', '笼', 20);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('02', '021301', '份', 18);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('02', '021302', '份', 16);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('02', '021303', '份', 16);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('02', '021401', '碗', 12);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('02', '021401', '煲', 38);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('02', '021402', '碗', 14);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('02', '021601', '份', 22);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('02', '021602', '份', 18);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('02', '021603', '份', 12);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('02', '021501', '位', 5);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('02', '021502', '壶', 18);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('02', '021502', '位', 6);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('02', '011003', '碗', 2);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('02', '011102', '杯', 16);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('03', '030101', '只', 888);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('03', '030102', '位', 98);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('03', '030104', '例', 168);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('03', '010201', '一只', 128);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('03', '010801', '大', 88);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('03', '030103', '例', 288);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('03', '010599', '斤', 0);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('03', '010901', '例', 88);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('03', '011001', '大', 48);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('03', '030105', '例', 48);
INSERT INTO DishDetail (ProjectID, DishNo, DishUnit, Price) VALUES ('03', '011101', '瓶', 15);

INSERT INTO ProdPosition (PositionNo, PositionName) VALUES (1, '热菜厨房');
INSERT INTO ProdPosition (PositionNo, PositionName) VALUES (2, '凉菜间');
INSERT INTO ProdPosition (PositionNo, PositionName) VALUES (3, '海鲜池');
INSERT INTO ProdPosition (PositionNo, PositionName) VALUES (4, '点心部');
INSERT INTO ProdPosition (PositionNo, PositionName) VALUES (5, '吧台');
INSERT INTO ProdPosition (PositionNo, PositionName) VALUES (6, '传菜口');

INSERT INTO tblMacName (IPAddress, MacAliasName, LastLogin) VALUES ('192.168.1.101', '1号PDA', '2024-03-18T18:02:11');
INSERT INTO tblMacName (IPAddress, MacAliasName, LastLogin) VALUES ('192.168.1.102', '2号PDA', '2024-03-18T18:05:40');
INSERT INTO tblMacName (IPAddress, MacAliasName, LastLogin) VALUES ('192.168.1.103', '吧台PDA', NULL);
INSERT INTO tblMacName (IPAddress, MacAliasName, LastLogin) VALUES ('192.168.1.110', NULL, NULL);
INSERT INTO tblMacName (IPAddress, MacAliasName, LastLogin) VALUES ('192.168.1.99', '经理PDA', '2024-03-17T12:00:00');

COMMIT;
