// Applying form definitions: create, parent, name, properties, children; then Loaded.
#include "framework/formdef.h"

#include "framework/datamodule.h"
#include "framework/form.h"

namespace framework {

namespace {

void CreateAll(TComponent& root, TComponent* parent, const std::vector<TComponentDef>& defs,
               std::vector<TComponent*>& loaded) {
  for (const TComponentDef& def : defs) {
    TComponent* c = def.Create(&root);
    c->Name = def.Name;
    c->BeginLoading();
    TComponent::DeliverInsertNotification(c);
    if (def.Bind) def.Bind(c);
    auto* control = dynamic_cast<TControl*>(c);
    auto* parent_control = dynamic_cast<TWinControl*>(parent);
    if (control && parent_control) control->SetParent(parent_control);
    loaded.push_back(c);
    if (def.Apply) def.Apply(*c);
    CreateAll(root, c, def.Children, loaded);
  }
}

}  // namespace

void LoadDefinition(TComponent& root, const std::function<void(TComponent&)>& root_apply,
                    const std::vector<TComponentDef>& components) {
  root.BeginLoading();
  std::vector<TComponent*> loaded{&root};
  if (root_apply) root_apply(root);
  CreateAll(root, &root, components, loaded);
  for (TComponent* c : loaded) c->Loaded();
  if (auto* form = dynamic_cast<TForm*>(&root)) {
    form->Perform(CM_LOADED, 0, 0);
    form->DoCreate();
  } else if (auto* module = dynamic_cast<TDataModule*>(&root)) {
    module->DoCreate();
  }
}

}  // namespace framework
