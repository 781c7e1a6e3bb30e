// grapho as an ES module: the same functions as index.js gives.
import grapho from "./index.js";

export const { convert, untype, check } = grapho;
