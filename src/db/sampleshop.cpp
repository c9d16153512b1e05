#include "db/sampleshop.h"

#include "core/format.h"
#include "db/database.h"
#include "db/statement.h"

void SeedSampleShop(const QDateTime& requirementCreated)
{
    const char* rows[] = {
        "insert into AssyList (Assy,Item,Part_nBr,Quan,Ref_Des) values ('AMP-100','1','R-10K','4','R1-R4')",
        "insert into AssyList (Assy,Item,Part_nBr,Quan,Ref_Des) values ('AMP-100','2','C-100N','6','C1-C6')",
        "insert into AssyList (Assy,Item,Part_nBr,Quan,Ref_Des) values ('AMP-100','3','GRM188R71H104KA93D','2','C7,C8')",
        "insert into AssyList (Assy,Item,Part_nBr,Quan,Ref_Des) values ('AMP-100','4','PCB-AMP','1','')",
        "insert into AssyList (Assy,Item,Part_nBr,Quan) values ('CASE-1','1','AMP-100','2')",
        "insert into AssyList (Assy,Item,Part_nBr,Quan) values ('CASE-1','2','SCREW-M3','8')",
        "insert into AssyList (Assy,Item,Part_nBr,Quan) values ('CASE-1','3','R-10K','1')",
        "insert into PartList (Part_nBr,Description,Category,Make,Price,Distributor,Manufacturer,Currency) values "
        "('R-10K','Resistor 10k 1% 0603','Component','Buy','0.02','DIGIKEY','YAGEO','USD')",
        "insert into PartList (Part_nBr,Description,Category,Make,Price,Distributor,Manufacturer,Currency) values "
        "('C-100N','Capacitor 100nF 50V X7R 0603','Component','Buy','0.05','DIGIKEY','KEMET','USD')",
        "insert into PartList (Part_nBr,Description,Category,Make,Price,Distributor,Manufacturer,Currency) values "
        "('GRM188R71H104KA93D','Capacitor 100nF 50V X7R 0603, automotive grade','Component','Buy','0.09',"
        "'MOUSER','MURATA','USD')",
        "insert into PartList (Part_nBr,Description,Category,Make,Price,Distributor,Manufacturer,Currency) values "
        "('PCB-AMP','Amplifier board, 2 layers','PCB','Buy','4.80','PCBWAY','PCBWAY','USD')",
        "insert into PartList (Part_nBr,Description,Category,Make,Price,Distributor,Manufacturer,Currency) values "
        "('SCREW-M3','Screw M3x8 pan head','Fastener','Buy','0.04','MOUSER','WURTH','USD')",
        "insert into PartList (Part_nBr,Description,Category,Make,Currency) values "
        "('AMP-100','Amplifier module','Assembly','Make','USD')",
        "insert into PartList (Part_nBr,Description,Category,Make,Currency) values "
        "('CASE-1','Amplifier in its case','Assembly','Make','USD')",
        "insert into VendList (Vendor) values ('DIGIKEY')",
        "insert into VendList (Vendor) values ('MOUSER')",
        "insert into VendList (Vendor) values ('PCBWAY')",
        "insert into RescList (Assy,Step,Description,Resource,Rate,Hours,Cost) values "
        "('AMP-100','10','Solder','Bench','40','1.5','60')",
        "insert into RescList (Assy,Step,Description,Resource,Rate,Hours,Cost) values "
        "('CASE-1','10','Assemble','Bench','40','0.5','20')",
    };
    for (const char* sql : rows)
        Execute(QString::fromUtf8(sql));
    const QString created = requirementCreated.toString(QStringLiteral("yyyy-MM-dd HH:mm:ss"));
    ExecuteBound(QStringLiteral("insert into ReqmList (Order_nBr,Assy,Quan,Description,Created,Status) values " "('REQ0001','CASE-1','5','First batch',?,'Created')"), {created});
}

void ChangeSampleBill()
{
    Execute(QStringLiteral("update AssyList set Quan='5', Ref_Des='R1-R5' where Assy='AMP-100' and Part_nBr='R-10K'"));
    Execute(QStringLiteral("insert into AssyList (Assy,Item,Part_nBr,Quan,Ref_Des) values ('AMP-100','5','SCREW-M3','2','')"));
}
