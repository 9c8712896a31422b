// The 23 statements the updater sends to the product database, exactly as it
// writes them, for the tests and benchmarks that run them on the demo and the
// generated databases.
#pragma once

#include <string>
#include <vector>

namespace menvaro::demo {

struct HandheldStatement {
    std::string file;  // the handheld file it feeds ("dish01.xml" for per-project ones)
    std::string sql;
};

inline std::string ProjectsSql() { return "select Distinct ProjectID,ProjectName from dishproject Order by ProjectID"; }

// The statements in the updater's order; the five per-project ones for each
// of `projects` in turn. "sock.xml" has no statement.
inline std::vector<HandheldStatement> HandheldStatements(const std::vector<std::string>& projects) {
    std::vector<HandheldStatement> s;
    auto each = [&](const std::string& prefix, auto make) {
        for (const std::string& p : projects) s.push_back({prefix + p + ".xml", make(p)});
    };
    s.push_back({"piddata.xml", ProjectsSql()});
    s.push_back({"area.xml", "Select AreaNo,AreaName,ProjectID from Area order by AreaNo"});
    s.push_back({"room.xml", std::string("Select b.AreaNo,b.AreaName,b.ProjectID,a.RoomNo,a.RoomName") +
                                 " from Room a,Area b" + " where a.AreaNo=b.AreaNo" + " order by b.AreaNo,a.RoomNo"});
    each("dish", [](const std::string& project) {
        return "select a.ProdTypeNo, a.ProdTypeName, a.CateNo, a.CateName,  a.DishNo, a.DishName, a.CustomDishNo, "
               "a.dishSpell, b.DishUnit from Dishlist a, DishPrice b, category c, prodtype d where a.DishNo=b.DishNo "
               "and a.ProjectID=b.ProjectID and a.CateNo=c.CateNo and a.ProdTypeNo=d.ProdTypeNo and "
               "a.IFSelfSelect<>1  and a.ProjectId='" +
               project +
               "' order by d.PShowOrder,c.CShowOrder, a.ProdTypeNo,a.CateNo,a.dishSpell,a.DishNo,b.UnitSequence";
    });
    each("urgentdish", [](const std::string& project) {
        return std::string("select b.DishNo, b.CustomDishNo, b.DishName, b.DishSpell, c.DishUnit") +
               " from dishList b,DishPrice c" +
               " where b.DishNo=c.DishNo and b.ProjectID=c.ProjectID and b.IFUrgent=1 and b.IFSelfSelect<>1" +
               " and b.ProjectId = " + "'" + project + "'" + " order by b.dishSpell, b.DishNo, c.UnitSequence";
    });
    each("limitdish", [](const std::string& project) {
        return std::string(
                   "select a.DishNo, a.CustomDishNo, a.DishName, a.DishSpell, c.DishUnit, c.DishCount as Limited") +
               " from DishList a,DishPrice b, LimitSale c" + " where a.DishNo=b.DishNo and b.DishNo=c.DishNo" +
               " and a.ProjectID=b.ProjectID and b.ProjectID=c.ProjectID" + " and b.DishUnit=c.DishUnit" +
               " and a.ProjectId=" + "'" + project + "'" + " order by a.dishSpell,a.DishNo,b.UnitSequence";
    });
    s.push_back({"makemode.xml", "select * from MakeMode Order by MakeModeNo"});
    s.push_back(
        {"dishmakemode.xml", "select DishNo,MakeModeNo,MakeModeName from MakeMode_dish Order by DishNo,MakeModeNo"});
    s.push_back({"catsup.xml", "select * from catsup Order by CatsupNo"});
    s.push_back({"dishcatsup.xml", "select DishNo,CatsupNo,CatsupName from catsup_dish Order by DishNo,CatsupNo"});
    s.push_back({"request.xml", "select * from Request Order by RequestNo"});
    s.push_back({"dishrequest.xml", "select DishNo,RequestNo,RequestName from Request_dish Order by DishNo,RequestNo"});
    s.push_back({"material.xml", std::string("Select b.MTNo,b.MTName,a.MDNo,a.MDName") +
                                     " from MaterialDetail a,MaterialType b" +
                                     " where a.MTNo=b.MTNo order by b.MTNo,a.MDNo"});
    s.push_back({"pingunit.xml", "select PCUnitName from PCUnit"});
    s.push_back({"zuofa.xml", "select FNo, FName, OName from Facture order by FNo"});
    auto soldOrOptional = [](const std::string& condition) {
        return [condition](const std::string& project) {
            return std::string("select b.DishNo,b.CustomDishNo,b.DishName,b.DishSpell,c.DishUnit") +
                   " from dishList b,DishPrice c" + condition + " and b.ProjectId=" + "'" + project + "'" +
                   " order by b.dishSpell,b.DishNo,c.UnitSequence";
        };
    };
    each("guqingdish", soldOrOptional(" where b.DishNo=c.DishNo and b.ProjectID=c.ProjectID and b.IFUse=1"));
    each("optionaldish", soldOrOptional(" where b.DishNo=c.DishNo and b.ProjectID=c.ProjectID and b.IfSelfSelect=1"));
    s.push_back({"snackdish.xml",
                 std::string("select a.SnackNo1,b.SnackNo2,c.SnackNo3,a.SnackName1,a.SumMoney1,b.SnackName2,"
                             "b.SumMoney2,c.SnackName3,c.SnackUnit3,c.SnackPrice3,c.SnackCount3") +
                     " from Snack_1 a,Snack_2 b,Snack_3 c" + " where b.SnackNo1=a.SnackNo1 and b.SnackNo2=c.SnackNo2" +
                     " order by a.SnackNo1,b.SnackNo2,c.SnackNo3"});
    s.push_back({"calltype.xml", "select CallDishType from calldish"});
    s.push_back({"weightdish.xml", std::string("select distinct a.CateName, a.DishName, a.dishspell, b.DishUnit") +
                                       " from DishMaster a, DishDetail b" + " where a.DishNo=b.DishNo" +
                                       " and a.IfWeigh=1 order by dishspell"});
    s.push_back({"prodposi.xml", "select PositionName from ProdPosition"});
    s.push_back({"MachineNameList.xml", "select IPAddress, MacAliasName from tblMacName order by IPAddress"});
    return s;
}

}  // namespace menvaro::demo
