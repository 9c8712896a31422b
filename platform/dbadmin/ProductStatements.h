// The statements the handheld updater runs on the product database. They
// live here, below both, so that the updater runs them and the backup engine
// tells a product database by them from one list: a product database is one
// on which every statement the updater cannot do without runs, giving the
// columns the updater reads from its rows.
#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

namespace menvaro::dbadmin {

struct TProductStatement {
    // The statement; for a per-project statement the part before the
    // project's identifier, which goes between the quotes around it.
    std::string_view Sql;
    // The part after the identifier; empty for the other statements.
    std::string_view Tail = {};
    // For a "select *": the columns the updater reads from its rows, the
    // name and then the number. The other statements name what they give.
    std::array<const char*, 2> Columns = {};
    // The updater does without it: its tables may be missing.
    bool Optional = false;

    bool PerProject() const { return !Tail.empty(); }
    // The statement for one project (for the others, the statement itself).
    std::string For(std::string_view quotedProject) const {
        if (!PerProject()) return std::string(Sql);
        return std::string(Sql) + std::string(quotedProject) + std::string(Tail);
    }
};

namespace product {

inline constexpr TProductStatement Projects{
    .Sql = "select Distinct ProjectID,ProjectName from dishproject Order by ProjectID"};
inline constexpr TProductStatement Areas{.Sql = "Select AreaNo,AreaName,ProjectID from Area order by AreaNo"};
inline constexpr TProductStatement Rooms{
    .Sql = "Select b.AreaNo,b.AreaName,b.ProjectID,a.RoomNo,a.RoomName"
           " from Room a,Area b"
           " where a.AreaNo=b.AreaNo"
           " order by b.AreaNo,a.RoomNo"};
inline constexpr TProductStatement Dishes{
    .Sql = "select a.ProdTypeNo, a.ProdTypeName, a.CateNo, a.CateName,  a.DishNo, a.DishName, "
           "a.CustomDishNo, a.dishSpell, b.DishUnit from Dishlist a, DishPrice b, category c, prodtype d "
           "where a.DishNo=b.DishNo and a.ProjectID=b.ProjectID and a.CateNo=c.CateNo and "
           "a.ProdTypeNo=d.ProdTypeNo and a.IFSelfSelect<>1  and a.ProjectId='",
    .Tail = "' order by d.PShowOrder,c.CShowOrder, a.ProdTypeNo,a.CateNo,a.dishSpell,a.DishNo,b.UnitSequence"};
inline constexpr TProductStatement UrgentDishes{
    .Sql = "select b.DishNo, b.CustomDishNo, b.DishName, b.DishSpell, c.DishUnit"
           " from dishList b,DishPrice c"
           " where b.DishNo=c.DishNo and b.ProjectID=c.ProjectID and b.IFUrgent=1 and b.IFSelfSelect<>1"
           " and b.ProjectId = "
           "'",
    .Tail = "'"
            " order by b.dishSpell, b.DishNo, c.UnitSequence"};
inline constexpr TProductStatement LimitDishes{
    .Sql = "select a.DishNo, a.CustomDishNo, a.DishName, a.DishSpell, c.DishUnit, "
           "c.DishCount as Limited"
           " from DishList a,DishPrice b, LimitSale c"
           " where a.DishNo=b.DishNo and b.DishNo=c.DishNo"
           " and a.ProjectID=b.ProjectID and b.ProjectID=c.ProjectID"
           " and b.DishUnit=c.DishUnit"
           " and a.ProjectId="
           "'",
    .Tail = "'"
            " order by a.dishSpell,a.DishNo,b.UnitSequence"};
inline constexpr TProductStatement MakeModes{.Sql = "select * from MakeMode Order by MakeModeNo",
                                             .Columns = {"MakeModeName", "MakeModeNo"}};
inline constexpr TProductStatement DishMakeModes{
    .Sql = "select DishNo,MakeModeNo,MakeModeName from MakeMode_dish Order by DishNo,MakeModeNo"};
inline constexpr TProductStatement Catsups{.Sql = "select * from catsup Order by CatsupNo",
                                           .Columns = {"CatsupName", "CatsupNo"}};
inline constexpr TProductStatement DishCatsups{
    .Sql = "select DishNo,CatsupNo,CatsupName from catsup_dish Order by DishNo,CatsupNo"};
inline constexpr TProductStatement Requests{.Sql = "select * from Request Order by RequestNo",
                                            .Columns = {"RequestName", "RequestNo"}};
inline constexpr TProductStatement DishRequests{
    .Sql = "select DishNo,RequestNo,RequestName from Request_dish Order by DishNo,RequestNo"};
inline constexpr TProductStatement Materials{
    .Sql = "Select b.MTNo,b.MTName,a.MDNo,a.MDName"
           " from MaterialDetail a,MaterialType b"
           " where a.MTNo=b.MTNo order by b.MTNo,a.MDNo"};
inline constexpr TProductStatement PingUnits{.Sql = "select PCUnitName from PCUnit"};
inline constexpr TProductStatement ZuoFa{.Sql = "select FNo, FName, OName from Facture order by FNo"};
// Sold-out and optional dishes: one layout, two conditions.
inline constexpr TProductStatement GuqingDishes{
    .Sql = "select b.DishNo,b.CustomDishNo,b.DishName,b.DishSpell,c.DishUnit"
           " from dishList b,DishPrice c"
           " where b.DishNo=c.DishNo and b.ProjectID=c.ProjectID and b.IFUse=1"
           " and b.ProjectId="
           "'",
    .Tail = "'"
            " order by b.dishSpell,b.DishNo,c.UnitSequence"};
inline constexpr TProductStatement OptionalDishes{
    .Sql = "select b.DishNo,b.CustomDishNo,b.DishName,b.DishSpell,c.DishUnit"
           " from dishList b,DishPrice c"
           " where b.DishNo=c.DishNo and b.ProjectID=c.ProjectID and b.IfSelfSelect=1"
           " and b.ProjectId="
           "'",
    .Tail = "'"
            " order by b.dishSpell,b.DishNo,c.UnitSequence"};
// The set meals: a database without their tables writes no file.
inline constexpr TProductStatement Snacks{
    .Sql = "select a.SnackNo1,b.SnackNo2,c.SnackNo3,a.SnackName1,a.SumMoney1,b.SnackName2,"
           "b.SumMoney2,c.SnackName3,c.SnackUnit3,c.SnackPrice3,c.SnackCount3"
           " from Snack_1 a,Snack_2 b,Snack_3 c"
           " where b.SnackNo1=a.SnackNo1 and b.SnackNo2=c.SnackNo2"
           " order by a.SnackNo1,b.SnackNo2,c.SnackNo3",
    .Optional = true};
inline constexpr TProductStatement CallTypes{.Sql = "select CallDishType from calldish"};
inline constexpr TProductStatement WeightDishes{
    .Sql = "select distinct a.CateName, a.DishName, a.dishspell, b.DishUnit"
           " from DishMaster a, DishDetail b"
           " where a.DishNo=b.DishNo"
           " and a.IfWeigh=1 order by dishspell"};
inline constexpr TProductStatement ProdPositions{.Sql = "select PositionName from ProdPosition"};
inline constexpr TProductStatement MachineNames{
    .Sql = "select IPAddress, MacAliasName from tblMacName order by IPAddress"};

}  // namespace product

// Every statement, in the order the updater runs them.
inline std::span<const TProductStatement* const> ProductStatements() {
    using namespace product;
    static constexpr const TProductStatement* all[] = {
        &Projects,      &Areas,    &Rooms,        &Dishes,    &UrgentDishes, &LimitDishes,  &MakeModes,
        &DishMakeModes, &Catsups,  &DishCatsups,  &Requests,  &DishRequests, &Materials,    &PingUnits,
        &ZuoFa,         &GuqingDishes, &OptionalDishes, &Snacks, &CallTypes, &WeightDishes, &ProdPositions,
        &MachineNames};
    return all;
}

}  // namespace menvaro::dbadmin
